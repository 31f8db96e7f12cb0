#include "archive/parcel.h"

namespace rida::archive {

bool isDigits(const QString& text, int length)
{
    if (text.size() != length)
        return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

int regionLevel(const QString& code)
{
    if (code.mid(8, 2) != QLatin1String("00"))
        return 4;
    if (code.mid(5, 3) != QLatin1String("000"))
        return 3;
    if (code.mid(2, 3) != QLatin1String("000"))
        return 2;
    return 1;
}

QString parcelNumber(const QString& regionCode, bool mountain, int mainNumber, int subNumber)
{
    return regionCode + QChar(mountain ? u'2' : u'1') + QStringLiteral("%1").arg(mainNumber, 4, 10, QChar(u'0')) +
           QStringLiteral("%1").arg(subNumber, 4, 10, QChar(u'0'));
}

} // namespace rida::archive
