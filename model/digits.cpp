#include "model/digits.h"

#include "model/error.h"

namespace rida::model {

bool ContainsNonDigit(const QString& text)
{
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return true;
    return false;
}

int toInteger(const QString& text)
{
    bool ok = false;
    qsizetype start = 0;
    while (start < text.size() && text.at(start).isSpace())
        ++start;
    const QString number = text.mid(start);
    // Base 10 in the C locale: an optional sign and ASCII digits, nothing else
    // (toInt() would also read over trailing blanks).
    const int value = number.toInt(&ok, 10);
    if (!ok || number.isEmpty() || number.back().isSpace())
        throw ConversionError(QStringLiteral("'%1'은(는) 올바른 정수 값이 아닙니다").arg(text));
    return value;
}

} // namespace rida::model
