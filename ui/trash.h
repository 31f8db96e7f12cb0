#pragma once
// The desktop's trash (the freedesktop.org layout), on a file name's native
// bytes: a name that is not valid in the locale's encoding (a CP949 name
// copied from another system) does not survive the trip through QString.

#include <filesystem>
#include <string>

namespace rida::ui {

// Moves `file` into the trash that lies on its file system: the user's home
// trash ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash) when it is on the
// same device, otherwise "<top of the mount>/.Trash-<uid>". Writes the
// ".trashinfo" record (original path, deletion time) so the file manager can
// put it back. Returns false and sets `error` when no trash could take it; the
// file then stays where it was.
bool moveToTrash(const std::filesystem::path& file, std::string* error);

// The "Path=" value of a trash record: every byte outside the unreserved URI
// characters and "/" as %XX.
std::string trashInfoPath(const std::string& absolutePath);

} // namespace rida::ui
