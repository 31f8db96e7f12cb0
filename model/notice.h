#pragma once
// The notice file "inform.txt" and the fixed lines of the main window's status board.

#include <QString>
#include <QStringList>

namespace rida::model {

// The nine fixed lines the board starts with.
QStringList fixedBoardLines();

// Decodes CP949 (the Microsoft code page, extension syllables included) text.
// Returns false when the bytes are not valid CP949; `out` then holds nothing.
bool decodeCp949(const QByteArray& bytes, QString& out);

// Reads "inform.txt" line by line. Lines end with CR LF, LF or CR; the last
// line needs no break. Reading stops silently at the first failure (the file
// cannot be opened or read, or a line is not CP949); the lines read before it
// are returned. `exists` tells whether a file (not a folder) of that name is there.
struct NoticeFile {
    bool exists = false;
    QStringList lines;
};
NoticeFile readNoticeFile(const QString& path);

} // namespace rida::model
