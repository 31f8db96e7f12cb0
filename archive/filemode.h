#pragma once
// Whether a file or folder may be written, judged by its permission bits for
// the effective user (and by the file system's read-only flag), not by what
// the administrator account may do anyway: an archive run as root then sees a
// read-only database or page folder the way an ordinary user would.

#include <QString>

namespace rida::archive {

bool writableByMode(const QString& path);

// Creates an empty file that only its owner may read and write; false when it
// could not be made (`reason` then says why, from the system). An existing
// file is left as it is and counts as made.
bool createPrivateFile(const QString& path, QString* reason);

} // namespace rida::archive
