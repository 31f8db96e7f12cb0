#pragma once
// The page folder: where the archive keeps its scanned pages, and the check
// that every record's page is there unchanged and every file there belongs to
// a record. Nothing here removes or rewrites a page.

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace rida::archive {

class Store;

// The folder inside the page folder where the pages of deleted documents go
// back when their own folder cannot take them; the check leaves it alone.
inline const QString kRestoreFolder = QStringLiteral("복구");

struct PageFolderStatus {
    enum State { Ready, Missing, NotAFolder, NotWritable };
    State state = Missing;
    QString message; // Korean; empty when ready
    bool ready() const { return state == Ready; }
};

// "이미지 폴더 연결": the folder exists and may be written (judged by its
// permission bits and by writing a trial file, which is removed at once).
PageFolderStatus pageFolderStatus(const QString& folder);
// Makes the folder and the folders above it; throws ArchiveError when it cannot.
void createPageFolder(const QString& folder);

struct CheckFinding {
    enum Kind {
        MissingPage, // a record whose page file is not there
        ChangedPage, // a page whose bytes are not the ones registered
        StrayFile,   // a file in the page folder that no record names
        Unreadable,  // a page or a folder that cannot be read
        Damaged,     // the database's own consistency check failed
    };
    Kind kind;
    QString path;    // within the page folder; empty for the database
    QString message; // Korean, one line
};

// Every finding, records in their order, then the files the folder has
// besides them (outside the restore folder), then what the database's check says. Needs a user allowed
// to check the archive.
QList<CheckFinding> checkArchive(Store& store, const QString& pageFolder);

} // namespace rida::archive
