#include "model/nametext.h"

#include <QStringDecoder>

namespace rida::model {

QString nameText(std::string_view bytes)
{
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(view);
    if (!utf8.hasError())
        return text;
    // "CP949" would be IBM-949 to ICU; the Microsoft code page is "windows-949".
    QStringDecoder korean("windows-949", QStringDecoder::Flag::Stateless);
    if (korean.isValid()) {
        QString k = korean(view);
        if (!korean.hasError())
            return k;
    }
    return text; // the replacement characters at least show where the name is odd
}

bool listedBefore(const QString& shownA, std::string_view bytesA, const QString& shownB, std::string_view bytesB)
{
    const int c = shownA.compare(shownB, Qt::CaseInsensitive);
    if (c != 0)
        return c < 0;
    return bytesA < bytesB;
}

} // namespace rida::model
