#pragma once
// The text shown for a file or folder name held as the file system's bytes:
// UTF-8 when the bytes are valid UTF-8, otherwise the Microsoft Korean code
// page (a CP949 name copied from another system), otherwise UTF-8 with
// replacement characters where the bytes are odd.

#include <QString>

#include <string_view>

namespace rida::model {

QString nameText(std::string_view bytes);

} // namespace rida::model
