#pragma once
// A word-processor document that holds one picture: a flat ODF text document
// (.fodt) on an A4 portrait page with 2 cm margins, whose only paragraph is
// centred and holds the picture embedded (base64), never linked to its file.
// The picture keeps its proportions; it is shown at 96 pixels per inch, made
// smaller where it would not fit between the margins.

#include <QSizeF>
#include <QString>

namespace rida::ui::report {

constexpr double kDocumentPageWidthCm = 21.0;
constexpr double kDocumentPageHeightCm = 29.7;
constexpr double kDocumentMarginCm = 2.0;

// Writes the document to `documentPath`, replacing it. The picture file (BMP
// or JPEG, recognised from its content) is copied into it as it is. Throws
// model::Error when the picture cannot be read or the document not written.
void writePictureDocument(const QString& documentPath, const QString& picturePath);

// The picture's size in the document for a picture of `pixels`, in centimetres.
QSizeF pictureSizeCm(const QSize& pixels);

// A new, unique document path ("rida-XXXXXX.fodt") in the user's temporary
// folder. The word processor reads the file after this program has moved on,
// so each document gets its own file; documents older than
// kDocumentKeepSeconds are removed when a new one is made.
constexpr int kDocumentKeepSeconds = 3600;
QString newDocumentPath();

} // namespace rida::ui::report
