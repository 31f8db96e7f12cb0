#pragma once
// The notice file "inform.txt" and the fixed lines of the main window's status board.

#include <QString>
#include <QStringList>

class QIODevice;

namespace rida::model {

// The nine fixed lines the board starts with.
QStringList fixedBoardLines();

// Decodes CP949 (the Microsoft code page, extension syllables included) text.
// Returns false when the bytes are not valid CP949; `out` then holds nothing.
bool decodeCp949(const QByteArray& bytes, QString& out);

// One line of the notice file as shown: CP949; a line that is not CP949 but is
// valid UTF-8 (a notice saved on this system) as UTF-8; otherwise CP949 with
// each byte it does not define shown as U+FFFD. Never fails.
QString decodeNoticeLine(const QByteArray& bytes);

// Reads "inform.txt" line by line. Lines end with CR LF, LF or CR; the last
// line needs no break. Every line is shown, whatever its bytes
// (decodeNoticeLine). Reading stops silently when the file cannot be opened or
// read; the lines read before that are returned. `exists` tells whether a file
// (not a folder) of that name is there.
struct NoticeFile {
    bool exists = false;
    QStringList lines;
};
NoticeFile readNoticeFile(const QString& path);
// The lines of an open notice device, by the same rules.
QStringList readNoticeLines(QIODevice& device);

} // namespace rida::model
