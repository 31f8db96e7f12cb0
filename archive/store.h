#pragma once
// The archive store: documents with their lots, regions, users, settings and
// the audit log, in one database behind one interface.
//
// A Store is one connection with a name of its own, used from the thread that
// opened it. Opening sets the connection up (for SQLite: WAL journal, foreign
// keys on, a bounded wait for another program's lock), brings an older schema
// up to date in one transaction and refuses a newer one. Every failure is an
// ArchiveError with a Korean message; a write that fails leaves what was
// stored before as it was.
//
// Writes need a signed-in user whose role allows them (roles.h); the store
// refuses the others whatever the windows offer. Times are UTC, held as ISO
// 8601 text.

#include "archive/dialect.h"
#include "archive/password.h"
#include "archive/regionlist.h"
#include "archive/roles.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QSqlQuery;

namespace rida::archive {

struct StoreOptions {
    ConnectionOptions connection;
    PasswordCost passwordCost = PasswordCost::interactive();
    // The time now, in UTC; tests hand in a clock of their own.
    std::function<QDateTime()> clock;
};

// Sign-in: wrong tries in a row before a wait, and the wait.
constexpr int kSignInTriesBeforeWait = 5;
constexpr std::chrono::seconds kSignInWait{30};
constexpr int kUserNameMaxLength = 200; // characters (code points)

struct SignedInUser {
    qint64 id = 0;
    QString name;
    Role role = Role::Viewer;
};

struct SignInResult {
    enum Status { SignedIn, Refused, Waiting };
    Status status = Refused;
    QString message;     // empty when signed in
    int waitSeconds = 0; // Waiting: how long until the next try is checked
    bool ok() const { return status == SignedIn; }
};

struct UserInfo {
    QString name;
    Role role = Role::Viewer;
    bool disabled = false;
    QString createdAt;
};

struct RegionNames {
    QString code;
    QString fullName;
    QString province, district, town, village;
    bool abolished = false;
};

// An entry of a region list: a 읍면동 or a 리 with its 10-digit code.
struct RegionItem {
    QString code;
    QString name;
};

// A 시군구 of the region list, as an office chooses among them.
struct DistrictItem {
    QString code;     // five digits
    QString fullName; // "임의도 가상시"
    bool abolished = false;
};

struct RegionImportSummary {
    int added = 0;     // codes not there before
    int changed = 0;   // codes whose name or status changed
    int abolished = 0; // of the changed, codes newly marked abolished
    int total = 0;     // lines in the list
};

struct NewLot {
    QString regionCode; // ten digits, in the region list
    bool mountain = false;
    int mainNumber = 0; // 본번, 0..9999
    int subNumber = 0;  // 부번, 0..9999; an empty one is 0
};

enum class Registration { Manual, Automatic };

struct NewDocument {
    QChar kind;          // T G S J Y X
    int surveyYear = 0;  // four digits
    int surveyMonth = 0; // 1..12
    QString regionCode;  // the region it was registered under
    QString pagePath;    // within the page folder, '/' between folders
    QString originalFolder;
    QString originalName;
    QString pageSha256; // 64 lower-case hex digits of the page bytes
    qint64 pageBytes = 0;
    QString originalSha256;                   // of the page as it was scanned, where the stored one was cut; or empty
    std::optional<int> pageWidth, pageHeight; // pixels, when known
    Registration registration = Registration::Manual;
    QString recognitionSettings; // JSON of the settings an automatic run used
    QList<NewLot> lots;
};

struct StoredLot {
    QString regionCode;
    bool mountain = false;
    int mainNumber = 0;
    int subNumber = 0;
    QString parcelNumber;
};

// What a lot search finds: one document.
struct FoundDocument {
    qint64 id = 0;
    QChar kind;
    int surveyYear = 0;
    int surveyMonth = 0;
    QString pagePath;
    QString originalFolder;
    QString originalName;
    int version = 0; // the document's version when it was found
};

// A stored document as a window opens it, with its lots in order of entry.
struct StoredDocument {
    qint64 id = 0;
    QChar kind;
    int surveyYear = 0;
    int surveyMonth = 0;
    QString regionCode;
    QString pagePath; // within the page folder
    QString originalFolder;
    QString originalName;
    QString pageSha256;
    qint64 pageBytes = 0;
    // Raised by every change of the document or its lots; a change names the
    // version it was made on and is refused when the document has changed since.
    int version = 0;
    QList<StoredLot> lots;
};

// What the attribute correction sets.
struct DocumentAttributes {
    QChar kind;          // T G S J Y X
    int surveyYear = 0;  // four digits
    int surveyMonth = 0; // 1..12
};

// The copy of a deleted document's page still to be removed from the page
// folder; its restored copy is at restoredTo (absolute).
struct PendingPageRemoval {
    qint64 id = 0;
    qint64 documentId = 0;
    QString pagePath;
    QString pageSha256;
    QString restoredTo;
};

// Why the last lot of a document is not removed.
QString lastLotRefusal();

// The refusal of a change made on a document that changed (or went) since it was opened.
ArchiveError changedSinceOpened(qint64 documentId, bool deleted);

// A lot search. An empty field matches any value.
struct LotQuery {
    QString regionCode;            // ten digits, or empty
    QString townCode;              // a 읍면동's ten digits: any of its 리, when regionCode is empty
    std::optional<bool> mountain;  // 산
    std::optional<int> mainNumber; // 본번
    std::optional<int> subNumber;  // 부번
    std::optional<QChar> kind;
    std::optional<int> fromYear, toYear; // inclusive
    int limit = 1000;
};

struct RegistrationTotals {
    int pages = 0;
    QHash<QChar, int> byKind;
    int of(QChar kind) const { return byKind.value(kind); }
};

// The status board's lines, without their leading space:
// "지가조서 등록 합계 : N면 (산정조서:a면, 결정조서:b면, 토지특성조사표:c면)"
QString totalsLine(const RegistrationTotals& totals);
// "사용자 등록 : N명"
QString usersLine(int users);

struct PageRecord {
    qint64 documentId = 0;
    QString pagePath;
    QString sha256;
    qint64 bytes = 0;
};

// One line of the CSV export: a lot with its document.
struct ExportRow {
    QString parcelNumber;
    QString town;    // 읍면
    QString village; // 동리
    bool mountain = false;
    int mainNumber = 0;
    int subNumber = 0;
    QChar kind;
    int surveyYear = 0;
    int surveyMonth = 0;
    QString pagePath;
};

struct AuditEntry {
    QString at;
    QString userName;
    QString action;
    QString subject;
    std::optional<qint64> recordId;
    QString before;
    QString after;
};

class Store {
public:
    // Opens the database at `location` (a file path for SQLite), creating it
    // when options.connection.createIfMissing allows.
    static std::unique_ptr<Store> open(const QString& location, StoreOptions options = {});
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    QString location() const { return location_; }
    QString connectionName() const { return connectionName_; }
    int schemaVersion();
    // The time now, in UTC, from the clock the options gave (a sign-in's wait counts by it).
    QDateTime now() const;

    // Users and sign-in.
    bool hasUsers();
    // The first administrator of an empty database, signed in at once;
    // refused once any user exists.
    void createFirstAdministrator(const QString& name, const QString& password);
    SignInResult signIn(const QString& name, const QString& password);
    void signOut();
    const std::optional<SignedInUser>& currentUser() const { return user_; }
    bool may(Command command) const { return user_ && allows(user_->role, command); }
    // Throws ArchiveError (NotSignedIn, NotAllowed) unless the signed-in user may.
    void require(Command command) const;
    void addUser(const QString& name, Role role, const QString& password);
    void setRole(const QString& name, Role role);
    // An administrator sets anybody's password; any user his own.
    void setPassword(const QString& name, const QString& password);
    // A user is never deleted (records and the audit log name him); he is disabled.
    void setDisabled(const QString& name, bool disabled);
    QList<UserInfo> users();
    int activeUserCount();

    // Regions.
    RegionImportSummary importRegions(const std::vector<RegionEntry>& entries);
    // The office's 시군구, 5-digit codes; replaces the earlier choice.
    void chooseDistricts(const QStringList& districtCodes);
    QStringList chosenDistricts();
    // Every 시군구 of the imported list in code order, abolished ones too.
    QList<DistrictItem> districts();
    // How many codes the imported list holds, abolished ones too.
    int regionCount();
    // The office's 읍면동 in code order, abolished ones left out.
    QList<RegionItem> towns();
    // The 리 of a 읍면동 in code order; a 읍면동 without 리 gives one entry with
    // an empty name and the 리 code 00.
    QList<RegionItem> villages(const QString& townCode);
    // The code of a 읍면동 and 리 of the office by their names ("" for none).
    std::optional<QString> regionCode(const QString& town, const QString& village);
    std::optional<RegionNames> regionNames(const QString& code);

    // Records.
    qint64 insertDocument(const NewDocument& document);
    RegistrationTotals totals();
    QList<FoundDocument> findDocuments(const LotQuery& query);
    QList<StoredLot> lotsOf(qint64 documentId);
    // The document with its lots, or nothing when there is none of that id.
    std::optional<StoredDocument> document(qint64 documentId);
    // Many documents in one transaction, as insertDocument stores each; their ids.
    QList<qint64> insertDocuments(const QList<NewDocument>& documents);

    // Changes of a stored record. Each names the version of the document the
    // caller opened and is refused with a Conflict when the document has
    // changed or gone since; each is one transaction, checks the role
    // (지가조서 수정; deleting the document 문서 삭제) and writes the audit log
    // with the record before and after. They return the document's new version.
    int addLot(qint64 documentId, int version, const NewLot& lot);
    // Refuses the last lot of a document: the document is deleted instead.
    int removeLot(qint64 documentId, int version, const NewLot& lot);
    int updateAttributes(qint64 documentId, int version, const DocumentAttributes& attributes);
    // Deletes the document with its lots and notes that its page, restored to
    // `restoredTo`, is still to be removed from the page folder. The page file
    // itself is left to the caller: withdrawDocument (placement.h) restores it
    // first and removes it after.
    // Returns the id of the pending removal (finishPageRemoval).
    qint64 deleteDocument(qint64 documentId, int version, const QString& restoredTo);
    QList<PendingPageRemoval> pendingPageRemovals();
    void finishPageRemoval(qint64 removalId);
    QList<PageRecord> pageRecords();
    // Every lot with its document, in order of registration.
    void forEachExportRow(const std::function<void(const ExportRow&)>& visit);

    // Settings shared by every PC of the office.
    std::optional<QString> setting(const QString& key);
    void setSetting(const QString& key, const QString& value);

    // Maintenance.
    void backupTo(const QString& destination);
    QStringList integrityProblems();
    QList<AuditEntry> auditLog(int limit = 100);

private:
    Store(QString location, std::unique_ptr<Dialect> dialect, StoreOptions options);
    class Transaction;

    QString nowText() const;
    QSqlQuery prepare(const QString& sql);
    void exec(QSqlQuery& query);
    [[noreturn]] void fail(const QSqlQuery& query);
    void audit(const QString& action, const QString& subject, std::optional<qint64> recordId, const QString& before,
               const QString& after);
    QString checkedUserName(const QString& name) const;
    void checkPassword(const QString& password) const;
    const QByteArray& decoyHash();
    std::optional<qint64> userId(const QString& name);
    int activeAdministrators();
    qint64 insertDocumentRow(const NewDocument& document);
    StoredDocument openedDocument(qint64 documentId, int version);
    int raiseVersion(const StoredDocument& opened);
    QString recordJson(const StoredDocument& document) const;

    QString location_;
    QString connectionName_;
    std::unique_ptr<Dialect> dialect_;
    StoreOptions options_;
    QSqlDatabase db_;
    bool inWrite_ = false; // a Transaction is open
    std::optional<SignedInUser> user_;
    QByteArray decoyHash_;
    // Wrong tries for names that are no user: the same wait as for a user, so
    // the wait tells nothing about which names exist.
    struct Tries {
        int count = 0;
        QDateTime last;
    };
    QHash<QString, Tries> unknownTries_;
};

} // namespace rida::archive
