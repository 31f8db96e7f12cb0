#pragma once
// The text shown for a file or folder name held as the file system's bytes:
// UTF-8 when the bytes are valid UTF-8, otherwise the Microsoft Korean code
// page (a CP949 name copied from another system), otherwise UTF-8 with
// replacement characters where the bytes are odd.

#include <QString>

#include <string_view>

namespace rida::model {

QString nameText(std::string_view bytes);

// The order in which the files of a folder are listed, by the program's file
// lists and by rida-recognize alike: by the shown name with case ignored, and
// names that differ only in case (or only in bytes that show alike) by their bytes.
bool listedBefore(const QString& shownA, std::string_view bytesA, const QString& shownB, std::string_view bytesB);

} // namespace rida::model
