#include "ui/report/picturedocument.h"

#include "model/error.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QXmlStreamWriter>

namespace rida::ui::report {

namespace {
QString cm(double value)
{
    return QString::number(value, 'f', 3) + QStringLiteral("cm");
}

const QString kOffice = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString kStyle = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:style:1.0");
const QString kText = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString kDraw = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:drawing:1.0");
const QString kFo = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0");
const QString kSvg = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0");
} // namespace

QSizeF pictureSizeCm(const QSize& pixels)
{
    QSizeF size(pixels.width() * 2.54 / 96.0, pixels.height() * 2.54 / 96.0);
    const QSizeF room(kDocumentPageWidthCm - 2 * kDocumentMarginCm, kDocumentPageHeightCm - 2 * kDocumentMarginCm);
    if (size.width() > room.width() || size.height() > room.height())
        size.scale(room, Qt::KeepAspectRatio);
    return size;
}

void writePictureDocument(const QString& documentPath, const QString& picturePath)
{
    QFile picture(picturePath);
    if (!picture.open(QIODevice::ReadOnly))
        throw model::Error(QStringLiteral("그림 파일을 읽을 수 없습니다: %1").arg(picturePath));

    // Only the header is read: the size, never the pixels.
    QImageReader reader(picturePath);
    reader.setDecideFormatFromContent(true);
    const QSize pixels = reader.size();
    if (!pixels.isValid() || pixels.isEmpty())
        throw model::Error(QStringLiteral("그림 파일의 형식을 알 수 없습니다: %1").arg(picturePath));
    const QSizeF size = pictureSizeCm(pixels);

    QSaveFile file(documentPath);
    if (!file.open(QIODevice::WriteOnly))
        throw model::Error(QStringLiteral("문서를 만들 수 없습니다: %1").arg(documentPath));
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(false);
    xml.writeStartDocument();
    xml.writeNamespace(kOffice, QStringLiteral("office"));
    xml.writeNamespace(kStyle, QStringLiteral("style"));
    xml.writeNamespace(kText, QStringLiteral("text"));
    xml.writeNamespace(kDraw, QStringLiteral("draw"));
    xml.writeNamespace(kFo, QStringLiteral("fo"));
    xml.writeNamespace(kSvg, QStringLiteral("svg"));
    xml.writeStartElement(kOffice, QStringLiteral("document"));
    xml.writeAttribute(kOffice, QStringLiteral("version"), QStringLiteral("1.3"));
    xml.writeAttribute(kOffice, QStringLiteral("mimetype"), QStringLiteral("application/vnd.oasis.opendocument.text"));

    xml.writeStartElement(kOffice, QStringLiteral("automatic-styles"));
    xml.writeStartElement(kStyle, QStringLiteral("style"));
    xml.writeAttribute(kStyle, QStringLiteral("name"), QStringLiteral("P1"));
    xml.writeAttribute(kStyle, QStringLiteral("family"), QStringLiteral("paragraph"));
    xml.writeEmptyElement(kStyle, QStringLiteral("paragraph-properties"));
    xml.writeAttribute(kFo, QStringLiteral("text-align"), QStringLiteral("center"));
    xml.writeEndElement(); // style:style
    xml.writeStartElement(kStyle, QStringLiteral("style"));
    xml.writeAttribute(kStyle, QStringLiteral("name"), QStringLiteral("fr1"));
    xml.writeAttribute(kStyle, QStringLiteral("family"), QStringLiteral("graphic"));
    xml.writeEmptyElement(kStyle, QStringLiteral("graphic-properties"));
    xml.writeAttribute(kStyle, QStringLiteral("vertical-pos"), QStringLiteral("top"));
    xml.writeAttribute(kStyle, QStringLiteral("vertical-rel"), QStringLiteral("baseline"));
    xml.writeEndElement(); // style:style
    xml.writeStartElement(kStyle, QStringLiteral("page-layout"));
    xml.writeAttribute(kStyle, QStringLiteral("name"), QStringLiteral("pm1"));
    xml.writeEmptyElement(kStyle, QStringLiteral("page-layout-properties"));
    xml.writeAttribute(kFo, QStringLiteral("page-width"), cm(kDocumentPageWidthCm));
    xml.writeAttribute(kFo, QStringLiteral("page-height"), cm(kDocumentPageHeightCm));
    xml.writeAttribute(kStyle, QStringLiteral("print-orientation"), QStringLiteral("portrait"));
    for (const char* side : {"margin-top", "margin-bottom", "margin-left", "margin-right"})
        xml.writeAttribute(kFo, QString::fromLatin1(side), cm(kDocumentMarginCm));
    xml.writeEndElement(); // style:page-layout
    xml.writeEndElement(); // office:automatic-styles

    xml.writeStartElement(kOffice, QStringLiteral("master-styles"));
    xml.writeEmptyElement(kStyle, QStringLiteral("master-page"));
    xml.writeAttribute(kStyle, QStringLiteral("name"), QStringLiteral("Standard"));
    xml.writeAttribute(kStyle, QStringLiteral("page-layout-name"), QStringLiteral("pm1"));
    xml.writeEndElement(); // office:master-styles

    xml.writeStartElement(kOffice, QStringLiteral("body"));
    xml.writeStartElement(kOffice, QStringLiteral("text"));
    xml.writeStartElement(kText, QStringLiteral("p"));
    xml.writeAttribute(kText, QStringLiteral("style-name"), QStringLiteral("P1"));
    xml.writeStartElement(kDraw, QStringLiteral("frame"));
    xml.writeAttribute(kDraw, QStringLiteral("style-name"), QStringLiteral("fr1"));
    xml.writeAttribute(kDraw, QStringLiteral("name"), QStringLiteral("그림1"));
    xml.writeAttribute(kText, QStringLiteral("anchor-type"), QStringLiteral("as-char"));
    xml.writeAttribute(kSvg, QStringLiteral("width"), cm(size.width()));
    xml.writeAttribute(kSvg, QStringLiteral("height"), cm(size.height()));
    xml.writeAttribute(kDraw, QStringLiteral("z-index"), QStringLiteral("0"));
    xml.writeStartElement(kDraw, QStringLiteral("image"));
    xml.writeStartElement(kOffice, QStringLiteral("binary-data"));
    // The picture's bytes in base64, a piece at a time: a page as a 32-bit BMP
    // runs to hundreds of megabytes. Pieces of a multiple of three bytes join
    // into one unbroken base64 text.
    constexpr qint64 kPiece = 3 * 1024 * 1024;
    // A file reads in full pieces until its last one; anything short before
    // the end (a read error) stops the document.
    const auto unreadable = [&] {
        return model::Error(QStringLiteral("그림 파일을 읽을 수 없습니다: %1").arg(picturePath));
    };
    while (!picture.atEnd()) {
        const QByteArray piece = picture.read(kPiece);
        if (piece.isEmpty() || (piece.size() % 3 != 0 && !picture.atEnd()))
            throw unreadable();
        xml.writeCharacters(QString::fromLatin1(piece.toBase64()));
    }
    xml.writeEndElement(); // office:binary-data
    xml.writeEndElement(); // draw:image
    xml.writeEndElement(); // draw:frame
    xml.writeEndElement(); // text:p
    xml.writeEndElement(); // office:text
    xml.writeEndElement(); // office:body
    xml.writeEndElement(); // office:document
    xml.writeEndDocument();
    if (xml.hasError() || !file.commit())
        throw model::Error(QStringLiteral("문서를 저장할 수 없습니다: %1").arg(documentPath));
}

QString newDocumentPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    // Documents of earlier exports have long been read by the word processor.
    const QDateTime stale = QDateTime::currentDateTime().addSecs(-kDocumentKeepSeconds);
    const QFileInfoList earlier =
        QDir(folder).entryInfoList({QStringLiteral("rida-*.fodt"), QStringLiteral("rida-*.fodt.status")}, QDir::Files);
    for (const QFileInfo& old : earlier) {
        if (old.lastModified() < stale)
            QFile::remove(old.filePath());
    }
    QTemporaryFile file(QDir(folder).filePath(QStringLiteral("rida-XXXXXX.fodt")));
    file.setAutoRemove(false);
    if (!file.open())
        throw model::Error(QStringLiteral("임시 문서를 만들 수 없습니다: %1").arg(folder));
    return file.fileName();
}

} // namespace rida::ui::report
