#pragma once
// Filing a page: the page file goes into the page folder and its record into
// the store, so that neither is ever there without the other and the page is
// never lost, whatever fails and wherever the program or the machine stops.
//
// The steps, each one finished before the next begins:
//   1. Journaled:     a journal row names the source, its SHA-256, the
//                     temporary name and the final name, and holds the record;
//   2. Copied:        the page is written under the temporary name in its
//                     folder (".rida-filing-<random>.part") and flushed,
//                     the file and its folder (fsync);
//   3. Verified:      the copy is read back: its size and SHA-256 are those of
//                     the page to store;
//   4. Placed:        the copy takes its final name, never replacing a file
//                     (pagename.h); the folder is flushed again;
//   5. Committed:     the record (document and lots) is committed in one
//                     transaction;
//   6. SourceRemoved: for 이동 only, the source is removed (when it still holds
//                     the bytes that were filed) and its folder flushed;
// and then the journal row goes. 복사 never opens the source for writing.
//
// A failure at any step undoes the steps before it (the copy is removed, the
// source stays) and throws an ArchiveError with a Korean message. A stop at
// any step (a crash, a power cut, a killed process) leaves the journal row;
// recoverPendingFilings() at the next start finishes what was committed and
// undoes what was not, so every page ends either at its source or in the page
// folder with its record.

#include "archive/margincut.h"
#include "archive/pagename.h"
#include "archive/store.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace rida::archive {

enum class Transfer {
    Copy, // 복사: the source stays as it is
    Move, // 이동: the source is removed once the page is filed
};

struct FilingRequest {
    QString sourcePath; // the page as the user chose it
    Transfer transfer = Transfer::Move;
    NameRule nameRule = NameRule::Rename;
    MarginSide margin = MarginSide::None;
    // The document's attributes.
    QChar kind;
    int surveyYear = 0;
    int surveyMonth = 0;
    QString regionCode; // the 동리 the page was registered under, ten digits
    QList<NewLot> lots;
    Registration registration = Registration::Manual;
    QString recognitionSettings; // JSON of the settings an automatic run used
    // The SHA-256 of the page when it was chosen or read; a page that has
    // changed since is refused. Empty: the page is taken as it is now.
    QString expectedSha256;
};

struct FiledPage {
    qint64 documentId = 0;
    QString pagePath;   // within the page folder, '/' between folders
    QString storedPath; // absolute
    QString sha256;     // of the stored bytes
    QString originalSha256;
    int cutColumns = 0; // page pixel columns the margin cut took off
    bool sourceRemoved = false;
    QStringList notes; // Korean: a margin that was not cut, a source that could not be removed
};

enum class FilingStep { Journaled, Copied, Verified, Placed, Committed, SourceRemoved };

// Where tests step in. Nothing here is set in the program.
struct FilingHooks {
    // After each step; throwing stops the filing there as any failure would.
    std::function<void(FilingStep)> afterStep;
    // Before each write of the copy: an errno to fail that write with, or 0.
    std::function<int()> writeFault;
    // Before the copy is given the name `candidate`.
    std::function<void(const QString& candidate)> beforeClaim;
};

// Files one page. Needs a signed-in user allowed to register manually or
// automatically (as the request says). Throws ArchiveError: Invalid (no page,
// a page changed since it was chosen, bad attributes), Conflict (the same
// page bytes already registered: the message names the record; the same page
// being filed by somebody else right now), ReadOnly, DiskFull, Missing (the
// page folder has gone), Database and the store's other failures.
FiledPage filePage(Store& store, const QString& pageFolder, const FilingRequest& request,
                   const FilingHooks& hooks = {});

// The record that already holds these page bytes (as stored or as scanned).
std::optional<qint64> documentWithPage(Store& store, const QString& sha256);

struct RecoveryReport {
    int undone = 0;           // filings whose copy was removed, their page at its source
    int finished = 0;         // filings completed: the record was there, or committed now
    int left = 0;             // journal rows that could not be resolved yet (kept for the next start)
    QStringList messages;     // Korean, one line for each filing resolved or left
    QStringList missingPages; // records of the journal whose page is not in the page folder
    int pagesRemoved = 0;     // pages of deleted documents removed from the page folder after a stop
};

// Resolves the journal rows of filings that stopped: those of this program
// that are no longer running, those of a program that has ended on this
// machine, and those of other machines older than an hour; and removes the
// page folder's copies of deleted documents' pages that a stop left (their
// restored copy checked first). Run at start-up, after the sign-in
// (finishing a filing stores its record).
RecoveryReport recoverPendingFilings(Store& store, const QString& pageFolder);

// ---- Deleting a document: its page goes back -----------------------------------
//
// The page of a deleted document goes back where it came from: to the folder
// and name it was registered from; when that folder is gone, cannot be
// written or the name is taken, to the restore folder "복구" in the page folder
// (kRestoreFolder, pagefolder.h), under its original name with " (2)" ... when
// taken. The steps are ordered so that at every moment the page is in the
// page folder with its record, or restored, or both:
//   1. Restored: the page is copied to a temporary name beside its
//                destination, flushed, read back and checked by size and
//                SHA-256, given its final name without replacing a file, and
//                the folder flushed;
//   2. Deleted:  the document and its lots are deleted in one transaction,
//                which also notes the page folder's copy as still to remove;
//   3. Removed:  the page folder's copy is removed, the folder flushed, and
//                the note goes.
// A failure before 2 removes the restored copy again (the record and its
// page stay); a stop between 2 and 3 leaves the note, and
// recoverPendingFilings removes the page folder's copy at the next start once
// the restored copy is found unchanged (else the copy stays and is reported).

enum class WithdrawStep { Restored, Deleted, Removed };

struct WithdrawHooks {
    std::function<void(WithdrawStep)> afterStep;
};

struct WithdrawnPage {
    QString restoredTo;           // absolute path of the page now
    bool toRestoreFolder = false; // not where it came from
    QString message;              // Korean: where the page is now
};

// Deletes the document opened at `version` and puts its page back. Needs a
// user allowed to delete documents. Throws ArchiveError: Conflict (the
// document changed or went since it was opened), Missing (its page is not in
// the page folder, or the page folder is gone), and the store's failures; the
// record and its page then stay as they were.
WithdrawnPage withdrawDocument(Store& store, const QString& pageFolder, qint64 documentId, int version,
                               const WithdrawHooks& hooks = {});

} // namespace rida::archive
