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
    const QString trimmed = text.trimmed();
    // Base 10 in the C locale: an optional sign and ASCII digits, nothing else.
    int value = trimmed.toInt(&ok, 10);
    if (!ok || trimmed.isEmpty())
        throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

} // namespace rida::model
