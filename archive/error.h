#pragma once
// Failures of the archive store. Each carries a Korean message that says what
// happened and what the user can do; the kind lets a caller tell them apart
// (the command's exit status, a window's choice of what to offer next).

#include "model/error.h"

namespace rida::archive {

enum class Failure {
    Locked,      // another program holds the database longer than the wait allows
    ReadOnly,    // the database file or its folder cannot be written
    Damaged,     // not a database of ours, or a failed integrity check
    NewerSchema, // made by a newer version of the program
    DiskFull,    // the disk (or the database's size limit) is full
    Missing,     // no database where one must already be
    Unsupported, // a back end this build does not have
    NotSignedIn, // a command before anybody signed in
    NotAllowed,  // the signed-in user's role does not allow the command
    Invalid,     // input the store refuses: a bad name, a bad region file, a bad lot
    Conflict,    // a name, code or file that is there already
    Unreachable, // the database server cannot be reached, or the connection broke
    Database,    // any other failure of the database
};

class ArchiveError : public model::Error {
public:
    ArchiveError(Failure failure, const QString& message) : Error(message), failure_(failure) {}
    Failure failure() const { return failure_; }

private:
    Failure failure_;
};

} // namespace rida::archive
