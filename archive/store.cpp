#include "archive/store.h"

#include "archive/parcel.h"
#include "archive/schema.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <atomic>

namespace rida::archive {

namespace {

const QString kWrongPair = QStringLiteral("아이디 또는 비밀번호가 올바르지 않습니다.");
const QString kKindCodes = QStringLiteral("TGSJYX");
// A lot search matching more lots than this reads the documents newest first.
constexpr int kManyLots = 20000;

QString json(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

// The form a user name is held and compared in: no blanks around it, Hangul
// composed (a name typed on a system that decomposes it is the same name).
QString normalizedName(const QString& name)
{
    return name.trimmed().normalized(QString::NormalizationForm_C);
}

bool isLowerHex(const QString& text, int length)
{
    if (text.size() != length)
        return false;
    for (QChar c : text)
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
            return false;
    return true;
}

// A page path inside the page folder: relative, '/' between its parts, no
// part that leads out of the folder.
bool isInsidePath(const QString& path)
{
    if (path.isEmpty() || path.startsWith(u'/') || path.contains(u'\\') || path.contains(QChar(0)))
        return false;
    for (const QString& part : path.split(u'/'))
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
    return true;
}

// A text column that may be empty but is never NULL: a null QString binds as NULL.
QString notNull(const QString& text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

// A connection that broke was closed when it failed; the next command opens
// it again, and says so when the server is still out of reach.
void reopenIfClosed(QSqlDatabase& db, const Dialect& dialect, const QString& location, const ConnectionOptions& options,
                    bool inWrite)
{
    if (!db.isOpen() && !inWrite)
        dialect.open(db, location, options);
}

QString registrationKey(Registration registration)
{
    return registration == Registration::Automatic ? QStringLiteral("automatic") : QStringLiteral("manual");
}

} // namespace

QString totalsLine(const RegistrationTotals& totals)
{
    return QStringLiteral("지가조서 등록 합계 : %1면 (산정조서:%2면, 결정조서:%3면, 토지특성조사표:%4면)")
        .arg(totals.pages)
        .arg(totals.of(u'S'))
        .arg(totals.of(u'G'))
        .arg(totals.of(u'T'));
}

QString usersLine(int users)
{
    return QStringLiteral("사용자 등록 : %1명").arg(users);
}

// A write transaction that rolls back unless it was committed.
class Store::Transaction {
public:
    explicit Transaction(Store& store) : store_(store)
    {
        reopenIfClosed(store_.db_, *store_.dialect_, store_.location_, store_.options_.connection, store_.inWrite_);
        QSqlQuery begin(store_.db_);
        if (!begin.exec(store_.dialect_->beginWrite()))
            store_.fail(begin);
        store_.inWrite_ = true;
    }
    ~Transaction()
    {
        if (!committed_ && store_.inWrite_)
            QSqlQuery(store_.db_).exec(QStringLiteral("ROLLBACK"));
        store_.inWrite_ = false;
    }
    void commit()
    {
        QSqlQuery commit(store_.db_);
        if (!commit.exec(QStringLiteral("COMMIT")))
            store_.fail(commit);
        committed_ = true;
        store_.inWrite_ = false;
    }

private:
    Store& store_;
    bool committed_ = false;
};

Store::Store(QString location, std::unique_ptr<Dialect> dialect, StoreOptions options)
    : location_(std::move(location)), dialect_(std::move(dialect)), options_(std::move(options))
{
    static std::atomic<quint64> serial{0};
    connectionName_ = QStringLiteral("rida-archive-%1").arg(serial.fetch_add(1) + 1);
    db_ = QSqlDatabase::addDatabase(dialect_->driver(), connectionName_);
}

Store::~Store()
{
    if (db_.isOpen())
        db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName_);
}

std::unique_ptr<Store> Store::open(const QString& location, StoreOptions options)
{
    auto dialect = dialectFor(location);
    if (!QSqlDatabase::isDriverAvailable(dialect->driver()))
        throw ArchiveError(
            Failure::Unsupported,
            QStringLiteral("데이터베이스 드라이버 %1이(가) 설치되어 있지 않습니다.").arg(dialect->driver()));
    std::unique_ptr<Store> store(new Store(location, std::move(dialect), std::move(options)));
    store->dialect_->open(store->db_, location, store->options_.connection);
    const int version = archive::schemaVersion(store->db_, *store->dialect_);
    if (version > currentSchemaVersion())
        throw ArchiveError(
            Failure::NewerSchema,
            QStringLiteral("이 데이터베이스는 더 새로운 버전의 프로그램이 만든 것입니다(데이터베이스 버전 "
                           "%1, 이 프로그램은 버전 %2까지 엽니다).\n프로그램을 새 버전으로 바꾸십시오. "
                           "저장된 자료는 그대로입니다.")
                .arg(version)
                .arg(currentSchemaVersion()));
    store->dialect_->prepareWrites(store->db_, location, store->options_.connection);
    archive::migrate(store->db_, *store->dialect_, version, currentSchemaVersion());
    return store;
}

int Store::schemaVersion()
{
    return archive::schemaVersion(db_, *dialect_);
}

QDateTime Store::now() const
{
    return options_.clock ? options_.clock().toUTC() : QDateTime::currentDateTimeUtc();
}

QString Store::nowText() const
{
    return now().toString(Qt::ISODateWithMs);
}

void Store::require(Command command) const
{
    if (!user_)
        throw ArchiveError(Failure::NotSignedIn, QStringLiteral("로그인하지 않았습니다. 먼저 로그인하십시오."));
    if (!allows(user_->role, command))
        throw ArchiveError(Failure::NotAllowed, QStringLiteral("%1 권한이 없습니다(사용자 %2, 역할 %3).")
                                                    .arg(commandWord(command), user_->name, roleWord(user_->role)));
}

QSqlQuery Store::prepare(const QString& sql)
{
    reopenIfClosed(db_, *dialect_, location_, options_.connection, inWrite_);
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        fail(query);
    return query;
}

void Store::exec(QSqlQuery& query)
{
    if (!query.exec())
        fail(query);
}

void Store::fail(const QSqlQuery& query)
{
    const QSqlError error = query.lastError();
    const Failure failure = dialect_->classify(error);
    // A server takes no statement in a failed transaction until it is rolled
    // back, not even the release of the statements prepared in it.
    if (inWrite_) {
        QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
        inWrite_ = false;
    }
    if (failure == Failure::Unreachable)
        db_.close(); // what was under way on it is gone with it: the server rolled it back
    switch (failure) {
    case Failure::Locked:
        throw ArchiveError(failure,
                           QStringLiteral("데이터베이스를 다른 프로그램이 잠그고 있어 저장하거나 읽지 "
                                          "못했습니다. 잠시 후 다시 시도하십시오. 저장된 자료는 그대로입니다."));
    case Failure::ReadOnly:
        throw ArchiveError(failure, QStringLiteral("데이터베이스에 쓸 수 없습니다(읽기 전용): %1\n저장된 자료는 "
                                                   "그대로입니다.")
                                        .arg(dialect_->describe(location_)));
    case Failure::DiskFull:
        throw ArchiveError(failure, QStringLiteral("디스크 공간이 부족하여 저장하지 못했습니다. 저장된 자료는 "
                                                   "그대로입니다. 공간을 비운 뒤 다시 시도하십시오."));
    case Failure::Damaged:
        throw ArchiveError(failure, QStringLiteral("데이터베이스 파일이 손상되었습니다: %1\n백업에서 되살리십시오.")
                                        .arg(dialect_->describe(location_)));
    case Failure::Unreachable:
        throw ArchiveError(failure, QStringLiteral("데이터베이스 서버에 연결할 수 없습니다: %1\n서버와 네트워크를 "
                                                   "확인한 뒤 다시 시도하십시오. 하던 작업은 저장되지 않았습니다.")
                                        .arg(dialect_->describe(location_)));
    case Failure::NotAllowed:
        throw ArchiveError(failure, QStringLiteral("데이터베이스 서버가 이 작업을 허락하지 않았습니다(권한 없음). "
                                                   "저장된 자료는 그대로입니다. (%1)")
                                        .arg(dialect_->errorText(error)));
    default:
        throw ArchiveError(failure, QStringLiteral("데이터베이스 오류: %1").arg(dialect_->errorText(error)));
    }
}

void Store::audit(const QString& action, const QString& subject, std::optional<qint64> recordId, const QString& before,
                  const QString& after)
{
    QSqlQuery query =
        prepare(QStringLiteral("INSERT INTO audit_log (at, user_id, user_name, action, subject, record_id, "
                               "before_text, after_text) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    query.addBindValue(nowText());
    query.addBindValue(user_ ? QVariant(user_->id) : QVariant(QMetaType(QMetaType::LongLong)));
    query.addBindValue(user_ ? user_->name : QStringLiteral(""));
    query.addBindValue(action);
    query.addBindValue(subject);
    query.addBindValue(recordId ? QVariant(*recordId) : QVariant(QMetaType(QMetaType::LongLong)));
    query.addBindValue(before.isNull() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(before));
    query.addBindValue(after.isNull() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(after));
    exec(query);
}

// ---- Users and sign-in ----------------------------------------------------

QString Store::checkedUserName(const QString& name) const
{
    const QString n = normalizedName(name);
    if (n.isEmpty())
        throw ArchiveError(Failure::Invalid, QStringLiteral("사용자 이름이 비어 있습니다."));
    if (n.toUcs4().size() > kUserNameMaxLength)
        throw ArchiveError(Failure::Invalid, QStringLiteral("사용자 이름은 %1자까지입니다.").arg(kUserNameMaxLength));
    for (QChar c : n)
        if (c.category() == QChar::Other_Control)
            throw ArchiveError(Failure::Invalid, QStringLiteral("사용자 이름에 제어 문자를 쓸 수 없습니다."));
    return n;
}

void Store::checkPassword(const QString& password) const
{
    if (password.isEmpty())
        throw ArchiveError(Failure::Invalid, QStringLiteral("비밀번호가 비어 있습니다."));
}

const QByteArray& Store::decoyHash()
{
    if (decoyHash_.isEmpty())
        decoyHash_ = hashPassword(QStringLiteral("no user has this password"), options_.passwordCost);
    return decoyHash_;
}

std::optional<qint64> Store::userId(const QString& name)
{
    QSqlQuery query = prepare(QStringLiteral("SELECT id FROM users WHERE name = ?"));
    query.addBindValue(name);
    exec(query);
    if (!query.next())
        return std::nullopt;
    return query.value(0).toLongLong();
}

int Store::activeAdministrators()
{
    QSqlQuery query = prepare(QStringLiteral("SELECT count(*) FROM users WHERE role = 'admin' AND disabled = 0"));
    exec(query);
    return query.next() ? query.value(0).toInt() : 0;
}

bool Store::hasUsers()
{
    QSqlQuery query = prepare(QStringLiteral("SELECT count(*) FROM users"));
    exec(query);
    return query.next() && query.value(0).toInt() > 0;
}

void Store::createFirstAdministrator(const QString& name, const QString& password)
{
    const QString n = checkedUserName(name);
    checkPassword(password);
    const QByteArray hash = hashPassword(password, options_.passwordCost);
    Transaction transaction(*this);
    if (hasUsers())
        throw ArchiveError(Failure::Conflict,
                           QStringLiteral("이미 사용자가 있습니다. 첫 관리자는 빈 데이터베이스에서만 만듭니다."));
    QSqlQuery insert = prepare(QStringLiteral(
        "INSERT INTO users (name, role, password_hash, created_at) VALUES (?, 'admin', ?, ?) RETURNING id"));
    insert.addBindValue(n);
    insert.addBindValue(QString::fromLatin1(hash));
    insert.addBindValue(nowText());
    exec(insert);
    if (!insert.next())
        fail(insert);
    const qint64 id = insert.value(0).toLongLong();
    insert.finish();
    user_ = SignedInUser{id, n, Role::Administrator};
    audit(QStringLiteral("user_add"), QStringLiteral("users"), id, QString(),
          json({{"name", n}, {"role", roleKey(Role::Administrator)}, {"first", true}}));
    transaction.commit();
}

SignInResult Store::signIn(const QString& name, const QString& password)
{
    const QString n = normalizedName(name);
    const QDateTime at = now();
    QSqlQuery query = prepare(QStringLiteral(
        "SELECT id, role, password_hash, disabled, failed_tries, last_failure_at FROM users WHERE name = ?"));
    query.addBindValue(n);
    exec(query);
    const bool known = query.next();
    qint64 id = 0;
    std::optional<Role> role;
    QByteArray hash;
    bool disabled = false;
    int tries = 0;
    QDateTime lastFailure;
    if (known) {
        id = query.value(0).toLongLong();
        role = roleFromKey(query.value(1).toString());
        hash = query.value(2).toString().toLatin1();
        disabled = query.value(3).toInt() != 0;
        tries = query.value(4).toInt();
        lastFailure = QDateTime::fromString(query.value(5).toString(), Qt::ISODateWithMs);
    } else {
        const Tries t = unknownTries_.value(n);
        tries = t.count;
        lastFailure = t.last;
    }
    query.finish();

    const qint64 waitSeconds = kSignInWait.count();
    if (tries >= kSignInTriesBeforeWait && lastFailure.isValid()) {
        const qint64 since = std::max<qint64>(0, lastFailure.secsTo(at));
        if (since < waitSeconds) {
            SignInResult result;
            result.status = SignInResult::Waiting;
            result.waitSeconds = int(waitSeconds - since);
            result.message = QStringLiteral("로그인을 %1번 잘못 시도했습니다. %2초 후에 다시 시도하십시오.")
                                 .arg(tries)
                                 .arg(result.waitSeconds);
            return result;
        }
    }

    // An unknown name costs the same hash as a known one.
    const bool passwordMatches = verifyPassword(known ? hash : decoyHash(), password);
    if (known && passwordMatches && !disabled && role) {
        if (tries > 0) {
            QSqlQuery reset =
                prepare(QStringLiteral("UPDATE users SET failed_tries = 0, last_failure_at = NULL WHERE id = ?"));
            reset.addBindValue(id);
            exec(reset);
        }
        user_ = SignedInUser{id, n, *role};
        return {SignInResult::SignedIn, QString(), 0};
    }
    if (known) {
        QSqlQuery count = prepare(
            QStringLiteral("UPDATE users SET failed_tries = failed_tries + 1, last_failure_at = ? WHERE id = ?"));
        count.addBindValue(at.toString(Qt::ISODateWithMs));
        count.addBindValue(id);
        exec(count);
    } else {
        Tries& t = unknownTries_[n];
        ++t.count;
        t.last = at;
    }
    SignInResult result;
    result.status = SignInResult::Refused;
    result.message = kWrongPair;
    result.waitSeconds = tries + 1 >= kSignInTriesBeforeWait ? int(waitSeconds) : 0;
    return result;
}

void Store::signOut()
{
    user_.reset();
}

void Store::addUser(const QString& name, Role role, const QString& password)
{
    require(Command::ManageUsers);
    const QString n = checkedUserName(name);
    checkPassword(password);
    const QByteArray hash = hashPassword(password, options_.passwordCost);
    Transaction transaction(*this);
    if (userId(n))
        throw ArchiveError(Failure::Conflict, QStringLiteral("같은 이름의 사용자가 이미 있습니다: %1").arg(n));
    QSqlQuery insert = prepare(
        QStringLiteral("INSERT INTO users (name, role, password_hash, created_at) VALUES (?, ?, ?, ?) RETURNING id"));
    insert.addBindValue(n);
    insert.addBindValue(roleKey(role));
    insert.addBindValue(QString::fromLatin1(hash));
    insert.addBindValue(nowText());
    exec(insert);
    if (!insert.next())
        fail(insert);
    const qint64 id = insert.value(0).toLongLong();
    insert.finish();
    audit(QStringLiteral("user_add"), QStringLiteral("users"), id, QString(),
          json({{"name", n}, {"role", roleKey(role)}}));
    transaction.commit();
}

void Store::setRole(const QString& name, Role role)
{
    require(Command::ManageUsers);
    const QString n = normalizedName(name);
    Transaction transaction(*this);
    QSqlQuery query = prepare(QStringLiteral("SELECT id, role, disabled FROM users WHERE name = ?"));
    query.addBindValue(n);
    exec(query);
    if (!query.next())
        throw ArchiveError(Failure::Invalid, QStringLiteral("그런 사용자가 없습니다: %1").arg(n));
    const qint64 id = query.value(0).toLongLong();
    const QString before = query.value(1).toString();
    const bool disabled = query.value(2).toInt() != 0;
    query.finish();
    if (before == roleKey(Role::Administrator) && role != Role::Administrator && !disabled &&
        activeAdministrators() <= 1)
        throw ArchiveError(Failure::Invalid, QStringLiteral("관리자가 한 명도 남지 않게 할 수는 없습니다."));
    QSqlQuery update = prepare(QStringLiteral("UPDATE users SET role = ? WHERE id = ?"));
    update.addBindValue(roleKey(role));
    update.addBindValue(id);
    exec(update);
    audit(QStringLiteral("user_role"), QStringLiteral("users"), id, json({{"role", before}}),
          json({{"role", roleKey(role)}}));
    transaction.commit();
    if (user_ && user_->id == id)
        user_->role = role;
}

void Store::setPassword(const QString& name, const QString& password)
{
    const QString n = normalizedName(name);
    if (!(user_ && user_->name == n))
        require(Command::ManageUsers);
    checkPassword(password);
    const QByteArray hash = hashPassword(password, options_.passwordCost);
    Transaction transaction(*this);
    const std::optional<qint64> id = userId(n);
    if (!id)
        throw ArchiveError(Failure::Invalid, QStringLiteral("그런 사용자가 없습니다: %1").arg(n));
    QSqlQuery update = prepare(
        QStringLiteral("UPDATE users SET password_hash = ?, failed_tries = 0, last_failure_at = NULL WHERE id = ?"));
    update.addBindValue(QString::fromLatin1(hash));
    update.addBindValue(*id);
    exec(update);
    // The audit log says that the password changed, never what to.
    audit(QStringLiteral("user_password"), QStringLiteral("users"), *id, QString(), QString());
    transaction.commit();
}

void Store::setDisabled(const QString& name, bool disabled)
{
    require(Command::ManageUsers);
    const QString n = normalizedName(name);
    if (disabled && user_->name == n)
        throw ArchiveError(Failure::Invalid, QStringLiteral("로그인한 자신은 사용 중지할 수 없습니다."));
    Transaction transaction(*this);
    QSqlQuery query = prepare(QStringLiteral("SELECT id, role, disabled FROM users WHERE name = ?"));
    query.addBindValue(n);
    exec(query);
    if (!query.next())
        throw ArchiveError(Failure::Invalid, QStringLiteral("그런 사용자가 없습니다: %1").arg(n));
    const qint64 id = query.value(0).toLongLong();
    const bool admin = query.value(1).toString() == roleKey(Role::Administrator);
    const bool before = query.value(2).toInt() != 0;
    query.finish();
    if (before == disabled)
        return;
    if (disabled && admin && activeAdministrators() <= 1)
        throw ArchiveError(Failure::Invalid, QStringLiteral("관리자가 한 명도 남지 않게 할 수는 없습니다."));
    QSqlQuery update = prepare(QStringLiteral("UPDATE users SET disabled = ? WHERE id = ?"));
    update.addBindValue(disabled ? 1 : 0);
    update.addBindValue(id);
    exec(update);
    audit(QStringLiteral("user_disabled"), QStringLiteral("users"), id, json({{"disabled", before}}),
          json({{"disabled", disabled}}));
    transaction.commit();
}

QList<UserInfo> Store::users()
{
    require(Command::ManageUsers);
    QSqlQuery query = prepare(QStringLiteral("SELECT name, role, disabled, created_at FROM users ORDER BY id"));
    exec(query);
    QList<UserInfo> list;
    while (query.next())
        list.append({query.value(0).toString(), roleFromKey(query.value(1).toString()).value_or(Role::Viewer),
                     query.value(2).toInt() != 0, query.value(3).toString()});
    return list;
}

int Store::activeUserCount()
{
    QSqlQuery query = prepare(QStringLiteral("SELECT count(*) FROM users WHERE disabled = 0"));
    exec(query);
    return query.next() ? query.value(0).toInt() : 0;
}

// ---- Regions ----------------------------------------------------------------

RegionImportSummary Store::importRegions(const std::vector<RegionEntry>& entries)
{
    require(Command::ManageRegions);
    struct Held {
        QString fullName;
        bool abolished;
    };
    QHash<QString, Held> held;
    {
        QSqlQuery query = prepare(QStringLiteral("SELECT code, full_name, abolished FROM regions"));
        exec(query);
        while (query.next())
            held.insert(query.value(0).toString(), {query.value(1).toString(), query.value(2).toInt() != 0});
    }
    RegionImportSummary summary;
    summary.total = int(entries.size());
    Transaction transaction(*this);
    QSqlQuery insert =
        prepare(QStringLiteral("INSERT INTO regions (code, full_name, province, district, town, village, "
                               "abolished) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    QSqlQuery update = prepare(QStringLiteral("UPDATE regions SET full_name = ?, province = ?, district = ?, town = ?, "
                                              "village = ?, abolished = ? WHERE code = ?"));
    for (const RegionEntry& e : entries) {
        const auto found = held.constFind(e.code);
        if (found == held.cend()) {
            insert.addBindValue(e.code);
            insert.addBindValue(e.fullName);
            insert.addBindValue(notNull(e.province));
            insert.addBindValue(notNull(e.district));
            insert.addBindValue(notNull(e.town));
            insert.addBindValue(notNull(e.village));
            insert.addBindValue(e.abolished ? 1 : 0);
            exec(insert);
            ++summary.added;
        } else if (found->fullName != e.fullName || found->abolished != e.abolished) {
            // A code is never deleted: an abolished one is marked, and the
            // records that use it keep it.
            update.addBindValue(e.fullName);
            update.addBindValue(notNull(e.province));
            update.addBindValue(notNull(e.district));
            update.addBindValue(notNull(e.town));
            update.addBindValue(notNull(e.village));
            update.addBindValue(e.abolished ? 1 : 0);
            update.addBindValue(e.code);
            exec(update);
            ++summary.changed;
            if (e.abolished && !found->abolished)
                ++summary.abolished;
        }
    }
    audit(QStringLiteral("regions_import"), QStringLiteral("regions"), std::nullopt, QString(),
          json({{"lines", summary.total},
                {"added", summary.added},
                {"changed", summary.changed},
                {"abolished", summary.abolished}}));
    transaction.commit();
    return summary;
}

void Store::chooseDistricts(const QStringList& districtCodes)
{
    require(Command::ManageRegions);
    QStringList codes;
    for (const QString& code : districtCodes) {
        if (!isDistrictCode(code))
            throw ArchiveError(Failure::Invalid, QStringLiteral("시군구 코드는 5자리 숫자입니다: %1").arg(code));
        if (!codes.contains(code))
            codes << code;
    }
    if (codes.isEmpty())
        throw ArchiveError(Failure::Invalid, QStringLiteral("시군구를 하나 이상 고르십시오."));
    Transaction transaction(*this);
    QSqlQuery known = prepare(QStringLiteral("SELECT abolished FROM regions WHERE code = ?"));
    for (const QString& code : codes) {
        known.addBindValue(code + QStringLiteral("00000"));
        exec(known);
        if (!known.next() || regionLevel(code + QStringLiteral("00000")) != 2)
            throw ArchiveError(Failure::Invalid,
                               QStringLiteral("행정코드 목록에 없는 시군구입니다: %1\n먼저 법정동코드 파일을 "
                                              "가져오십시오.")
                                   .arg(code));
        known.finish();
    }
    const QStringList before = chosenDistricts();
    QSqlQuery clear = prepare(QStringLiteral("DELETE FROM office_districts"));
    exec(clear);
    QSqlQuery insert = prepare(QStringLiteral("INSERT INTO office_districts (code) VALUES (?)"));
    for (const QString& code : codes) {
        insert.addBindValue(code);
        exec(insert);
    }
    audit(QStringLiteral("districts_choose"), QStringLiteral("office_districts"), std::nullopt,
          json({{"codes", QJsonArray::fromStringList(before)}}), json({{"codes", QJsonArray::fromStringList(codes)}}));
    transaction.commit();
}

QStringList Store::chosenDistricts()
{
    QSqlQuery query = prepare(QStringLiteral("SELECT code FROM office_districts ORDER BY code"));
    exec(query);
    QStringList codes;
    while (query.next())
        codes << query.value(0).toString();
    return codes;
}

QList<DistrictItem> Store::districts()
{
    QSqlQuery query = prepare(QStringLiteral("SELECT code, full_name, abolished FROM regions"
                                             " WHERE substr(code, 3, 3) <> '000' AND substr(code, 6, 5) = '00000'"
                                             " ORDER BY code"));
    exec(query);
    QList<DistrictItem> list;
    while (query.next())
        list.append({query.value(0).toString().left(kDistrictCodeLength), query.value(1).toString(),
                     query.value(2).toInt() != 0});
    return list;
}

int Store::regionCount()
{
    QSqlQuery query = prepare(QStringLiteral("SELECT count(*) FROM regions"));
    exec(query);
    return query.next() ? query.value(0).toInt() : 0;
}

QList<RegionItem> Store::towns()
{
    QSqlQuery query = prepare(QStringLiteral(
        "SELECT code, town FROM regions WHERE substr(code, 1, 5) IN (SELECT code FROM office_districts)"
        " AND substr(code, 6, 3) <> '000' AND substr(code, 9, 2) = '00' AND abolished = 0 ORDER BY code"));
    exec(query);
    QList<RegionItem> list;
    while (query.next())
        list.append({query.value(0).toString(), query.value(1).toString()});
    return list;
}

QList<RegionItem> Store::villages(const QString& townCode)
{
    if (!isRegionCode(townCode))
        return {};
    QSqlQuery query = prepare(QStringLiteral("SELECT code, village FROM regions WHERE substr(code, 1, 8) = ?"
                                             " AND substr(code, 9, 2) <> '00' AND abolished = 0 ORDER BY code"));
    query.addBindValue(townCode.left(8));
    exec(query);
    QList<RegionItem> list;
    while (query.next())
        list.append({query.value(0).toString(), query.value(1).toString()});
    if (list.isEmpty())
        list.append({townCode.left(8) + QStringLiteral("00"), QString()});
    return list;
}

std::optional<QString> Store::regionCode(const QString& town, const QString& village)
{
    QSqlQuery query = prepare(QStringLiteral(
        "SELECT code FROM regions WHERE substr(code, 1, 5) IN (SELECT code FROM office_districts)"
        " AND substr(code, 6, 3) <> '000' AND town = ? AND village = ? AND abolished = 0 ORDER BY code LIMIT 1"));
    query.addBindValue(notNull(town));
    query.addBindValue(notNull(village));
    exec(query);
    if (!query.next())
        return std::nullopt;
    return query.value(0).toString();
}

std::optional<RegionNames> Store::regionNames(const QString& code)
{
    QSqlQuery query = prepare(QStringLiteral(
        "SELECT code, full_name, province, district, town, village, abolished FROM regions WHERE code = ?"));
    query.addBindValue(code);
    exec(query);
    if (!query.next())
        return std::nullopt;
    return RegionNames{query.value(0).toString(),  query.value(1).toString(), query.value(2).toString(),
                       query.value(3).toString(),  query.value(4).toString(), query.value(5).toString(),
                       query.value(6).toInt() != 0};
}

// ---- Records ----------------------------------------------------------------

qint64 Store::insertDocument(const NewDocument& d)
{
    require(d.registration == Registration::Automatic ? Command::RegisterAutomatic : Command::RegisterManual);
    Transaction transaction(*this);
    const qint64 id = insertDocumentRow(d);
    transaction.commit();
    return id;
}

QList<qint64> Store::insertDocuments(const QList<NewDocument>& documents)
{
    for (const NewDocument& d : documents)
        require(d.registration == Registration::Automatic ? Command::RegisterAutomatic : Command::RegisterManual);
    Transaction transaction(*this);
    QList<qint64> ids;
    ids.reserve(documents.size());
    for (const NewDocument& d : documents)
        ids.append(insertDocumentRow(d));
    transaction.commit();
    return ids;
}

qint64 Store::insertDocumentRow(const NewDocument& d)
{
    if (d.kind.isNull() || !kKindCodes.contains(d.kind))
        throw ArchiveError(Failure::Invalid, QStringLiteral("문서구분이 올바르지 않습니다: %1").arg(d.kind));
    if (d.surveyYear < 1000 || d.surveyYear > 9999)
        throw ArchiveError(Failure::Invalid,
                           QStringLiteral("조사기준연도는 네 자리 숫자여야 합니다: %1").arg(d.surveyYear));
    if (d.surveyMonth < 1 || d.surveyMonth > 12)
        throw ArchiveError(Failure::Invalid,
                           QStringLiteral("조사기준월은 1에서 12 사이여야 합니다: %1").arg(d.surveyMonth));
    if (!isInsidePath(d.pagePath))
        throw ArchiveError(Failure::Invalid, QStringLiteral("이미지 경로가 올바르지 않습니다: %1").arg(d.pagePath));
    if (!isLowerHex(d.pageSha256, 64) || d.pageBytes < 0 ||
        (!d.originalSha256.isEmpty() && !isLowerHex(d.originalSha256, 64)))
        throw ArchiveError(Failure::Invalid, QStringLiteral("이미지 파일의 SHA-256 또는 크기가 올바르지 않습니다."));
    if (d.lots.isEmpty())
        throw ArchiveError(Failure::Invalid, QStringLiteral("필지가 없습니다. 필지를 하나 이상 추가하십시오."));
    QSet<QString> regionCodes{d.regionCode};
    QStringList parcelNumbers;
    for (const NewLot& lot : d.lots) {
        if (lot.mainNumber < 0 || lot.mainNumber > kLotNumberMax || lot.subNumber < 0 || lot.subNumber > kLotNumberMax)
            throw ArchiveError(Failure::Invalid, QStringLiteral("본번과 부번은 0에서 9999 사이여야 합니다: %1-%2")
                                                     .arg(lot.mainNumber)
                                                     .arg(lot.subNumber));
        if (!isRegionCode(lot.regionCode))
            throw ArchiveError(Failure::Invalid,
                               QStringLiteral("행정코드 목록에 없는 지역입니다: %1").arg(lot.regionCode));
        const QString pnu = parcelNumber(lot.regionCode, lot.mountain, lot.mainNumber, lot.subNumber);
        if (parcelNumbers.contains(pnu))
            throw ArchiveError(Failure::Invalid, QStringLiteral("같은 필지가 두 번 있습니다: %1").arg(pnu));
        parcelNumbers << pnu;
        regionCodes.insert(lot.regionCode);
    }

    QSqlQuery known = prepare(QStringLiteral("SELECT 1 FROM regions WHERE code = ?"));
    for (const QString& code : regionCodes) {
        known.addBindValue(code);
        exec(known);
        if (!known.next())
            throw ArchiveError(Failure::Invalid, QStringLiteral("행정코드 목록에 없는 지역입니다: %1").arg(code));
        known.finish();
    }
    QSqlQuery taken = prepare(QStringLiteral("SELECT id FROM documents WHERE page_path = ?"));
    taken.addBindValue(d.pagePath);
    exec(taken);
    if (taken.next())
        throw ArchiveError(Failure::Conflict,
                           QStringLiteral("같은 이미지 경로로 등록된 문서가 이미 있습니다: %1").arg(d.pagePath));
    taken.finish();

    QSqlQuery insert = prepare(
        QStringLiteral("INSERT INTO documents (kind, survey_year, survey_month, region_code, page_path, "
                       "original_folder, original_name,"
                       " page_sha256, page_bytes, page_width, page_height, registered_by, registered_at, registration,"
                       " recognition_settings, original_sha256)"
                       " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id"));
    const QVariant noNumber(QMetaType(QMetaType::Int));
    insert.addBindValue(QString(d.kind));
    insert.addBindValue(d.surveyYear);
    insert.addBindValue(d.surveyMonth);
    insert.addBindValue(d.regionCode);
    insert.addBindValue(d.pagePath);
    insert.addBindValue(notNull(d.originalFolder));
    insert.addBindValue(notNull(d.originalName));
    insert.addBindValue(d.pageSha256);
    insert.addBindValue(d.pageBytes);
    insert.addBindValue(d.pageWidth ? QVariant(*d.pageWidth) : noNumber);
    insert.addBindValue(d.pageHeight ? QVariant(*d.pageHeight) : noNumber);
    insert.addBindValue(user_->id);
    insert.addBindValue(nowText());
    insert.addBindValue(registrationKey(d.registration));
    insert.addBindValue(d.recognitionSettings.isEmpty() ? QVariant(QMetaType(QMetaType::QString))
                                                        : QVariant(d.recognitionSettings));
    insert.addBindValue(d.originalSha256.isEmpty() ? QVariant(QMetaType(QMetaType::QString))
                                                   : QVariant(d.originalSha256));
    exec(insert);
    if (!insert.next())
        fail(insert);
    const qint64 id = insert.value(0).toLongLong();
    insert.finish();

    QSqlQuery lotInsert = prepare(QStringLiteral("INSERT INTO lots (document_id, region_code, san, main_number, "
                                                 "sub_number, pnu) VALUES (?, ?, ?, ?, ?, ?)"));
    for (qsizetype k = 0; k < d.lots.size(); ++k) {
        const NewLot& lot = d.lots[k];
        lotInsert.addBindValue(id);
        lotInsert.addBindValue(lot.regionCode);
        lotInsert.addBindValue(lot.mountain ? 1 : 0);
        lotInsert.addBindValue(lot.mainNumber);
        lotInsert.addBindValue(lot.subNumber);
        lotInsert.addBindValue(parcelNumbers[k]);
        exec(lotInsert);
    }
    audit(QStringLiteral("document_add"), QStringLiteral("documents"), id, QString(),
          json({{"kind", QString(d.kind)},
                {"year", d.surveyYear},
                {"month", d.surveyMonth},
                {"region", d.regionCode},
                {"page", d.pagePath},
                {"original", d.originalFolder + d.originalName},
                {"sha256", d.pageSha256},
                {"registration", registrationKey(d.registration)},
                {"lots", QJsonArray::fromStringList(parcelNumbers)}}));
    return id;
}

RegistrationTotals Store::totals()
{
    QSqlQuery query = prepare(QStringLiteral("SELECT kind, count(*) FROM documents GROUP BY kind"));
    exec(query);
    RegistrationTotals totals;
    while (query.next()) {
        const QString kind = query.value(0).toString();
        const int count = query.value(1).toInt();
        if (!kind.isEmpty())
            totals.byKind.insert(kind[0], count);
        totals.pages += count;
    }
    return totals;
}

QList<FoundDocument> Store::findDocuments(const LotQuery& q)
{
    require(Command::Lookup);
    // The statement is put together from fixed pieces of ours; every value is bound.
    QStringList lotConditions;
    QVariantList lotValues;
    const bool region = !q.regionCode.isEmpty() || q.townCode.size() == 10;
    if (!q.regionCode.isEmpty()) {
        lotConditions << QStringLiteral("l.region_code = ?");
        lotValues << q.regionCode;
    } else if (q.townCode.size() == 10) {
        // Every 리 of the 읍면동: the codes that share its first eight digits.
        lotConditions << QStringLiteral("l.region_code BETWEEN ? AND ?");
        lotValues << q.townCode.left(8) + QStringLiteral("00") << q.townCode.left(8) + QStringLiteral("99");
    }
    // 산 and the numbers, apart: a search among many lots asks for them alone.
    QStringList numberConditions;
    QVariantList numberValues;
    if (q.mountain) {
        numberConditions << QStringLiteral("l.san = ?");
        numberValues << (*q.mountain ? 1 : 0);
    } else if (region) {
        // Both values named keep the lot index in use for the numbers after it.
        lotConditions << QStringLiteral("l.san IN (0, 1)");
    }
    if (q.mainNumber) {
        numberConditions << QStringLiteral("l.main_number = ?");
        numberValues << *q.mainNumber;
    }
    if (q.subNumber) {
        numberConditions << QStringLiteral("l.sub_number = ?");
        numberValues << *q.subNumber;
    }
    lotConditions << numberConditions;
    lotValues << numberValues;
    QStringList conditions;
    QVariantList values;
    if (!lotConditions.isEmpty()) {
        const QString lotWhere = lotConditions.join(QStringLiteral(" AND "));
        // Few matching lots: their documents are gathered and sorted. Many (a
        // whole 읍면, say): the documents are read newest first and each is
        // asked whether it has such a lot, which stops at the limit.
        bool many = false;
        if (region) {
            QSqlQuery count =
                prepare(QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM lots l WHERE %1 LIMIT ?) c").arg(lotWhere));
            for (const QVariant& value : lotValues)
                count.addBindValue(value);
            count.addBindValue(kManyLots + 1);
            exec(count);
            many = count.next() && count.value(0).toInt() > kManyLots;
            count.finish();
        }
        if (many) {
            // The parcel number starts with the region code: the per-document
            // index answers from its own entries.
            const QString prefix = q.regionCode.isEmpty() ? q.townCode.left(8) : q.regionCode;
            QStringList exists{QStringLiteral("l.document_id = d.id"), QStringLiteral("l.pnu BETWEEN ? AND ?")};
            exists << numberConditions;
            conditions
                << QStringLiteral("EXISTS (SELECT 1 FROM lots l WHERE %1)").arg(exists.join(QStringLiteral(" AND ")));
            values << prefix << prefix + QString(19 - prefix.size(), u'9') << numberValues;
        } else {
            conditions << QStringLiteral("d.id IN (SELECT l.document_id FROM lots l WHERE %1)").arg(lotWhere);
            values << lotValues;
        }
    }
    if (q.kind) {
        conditions << QStringLiteral("d.kind = ?");
        values << QString(*q.kind);
    }
    if (q.fromYear) {
        conditions << QStringLiteral("d.survey_year >= ?");
        values << *q.fromYear;
    }
    if (q.toYear) {
        conditions << QStringLiteral("d.survey_year <= ?");
        values << *q.toYear;
    }
    QString sql = QStringLiteral(
        "SELECT d.id, d.kind, d.survey_year, d.survey_month, d.page_path, d.original_folder, d.original_name,"
        " d.version FROM documents d");
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    sql += QStringLiteral(" ORDER BY d.survey_year DESC, d.survey_month DESC, d.id DESC LIMIT ?");
    values << (q.limit > 0 ? q.limit : 1000);

    QSqlQuery query = prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    exec(query);
    QList<FoundDocument> found;
    while (query.next()) {
        const QString kind = query.value(1).toString();
        found.append({query.value(0).toLongLong(), kind.isEmpty() ? QChar() : kind[0], query.value(2).toInt(),
                      query.value(3).toInt(), query.value(4).toString(), query.value(5).toString(),
                      query.value(6).toString(), query.value(7).toInt()});
    }
    return found;
}

std::optional<StoredDocument> Store::document(qint64 documentId)
{
    require(Command::Lookup);
    QSqlQuery query =
        prepare(QStringLiteral("SELECT kind, survey_year, survey_month, region_code, page_path, original_folder, "
                               "original_name, page_sha256, page_bytes, version FROM documents WHERE id = ?"));
    query.addBindValue(documentId);
    exec(query);
    if (!query.next())
        return std::nullopt;
    StoredDocument d;
    d.id = documentId;
    const QString kind = query.value(0).toString();
    d.kind = kind.isEmpty() ? QChar() : kind[0];
    d.surveyYear = query.value(1).toInt();
    d.surveyMonth = query.value(2).toInt();
    d.regionCode = query.value(3).toString();
    d.pagePath = query.value(4).toString();
    d.originalFolder = query.value(5).toString();
    d.originalName = query.value(6).toString();
    d.pageSha256 = query.value(7).toString();
    d.pageBytes = query.value(8).toLongLong();
    d.version = query.value(9).toInt();
    query.finish();
    d.lots = lotsOf(documentId);
    return d;
}

// ---- Changes of a stored record ---------------------------------------------

QString lastLotRefusal()
{
    return QStringLiteral("문서의 마지막 필지는 삭제할 수 없습니다. 문서를 없애려면 \"문서/필지 전체 삭제\"로 "
                          "문서를 삭제하십시오.");
}

ArchiveError changedSinceOpened(qint64 documentId, bool deleted)
{
    if (deleted)
        return ArchiveError(Failure::Conflict,
                            QStringLiteral("문서 %1을(를) 연 뒤에 다른 사용자가 먼저 삭제했습니다. 바꾼 것은 "
                                           "저장하지 않았습니다.")
                                .arg(documentId));
    return ArchiveError(Failure::Conflict,
                        QStringLiteral("문서 %1을(를) 연 뒤에 다른 사용자가 먼저 바꾸었습니다. 바꾼 것은 저장하지 "
                                       "않았습니다. 지금 저장된 내용을 다시 읽었으니 확인한 뒤 다시 하십시오.")
                            .arg(documentId));
}

// The document as it is now, inside the change's transaction; refused when it
// is not the version the caller opened.
StoredDocument Store::openedDocument(qint64 documentId, int version)
{
    const std::optional<StoredDocument> now = document(documentId);
    if (!now)
        throw changedSinceOpened(documentId, true);
    if (now->version != version)
        throw changedSinceOpened(documentId, false);
    return *now;
}

// Raises the version, on the condition that nobody raised it meanwhile (a back
// end that lets two transactions read the same version still lets only one
// of them write).
int Store::raiseVersion(const StoredDocument& opened)
{
    QSqlQuery update = prepare(QStringLiteral("UPDATE documents SET version = ? WHERE id = ? AND version = ?"));
    update.addBindValue(opened.version + 1);
    update.addBindValue(opened.id);
    update.addBindValue(opened.version);
    exec(update);
    if (update.numRowsAffected() != 1)
        throw changedSinceOpened(opened.id, false);
    return opened.version + 1;
}

QString Store::recordJson(const StoredDocument& d) const
{
    QStringList lots;
    for (const StoredLot& lot : d.lots)
        lots << lot.parcelNumber;
    return json({{"kind", QString(d.kind)},
                 {"year", d.surveyYear},
                 {"month", d.surveyMonth},
                 {"page", d.pagePath},
                 {"version", d.version},
                 {"lots", QJsonArray::fromStringList(lots)}});
}

int Store::addLot(qint64 documentId, int version, const NewLot& lot)
{
    require(Command::ModifyRecords);
    if (lot.mainNumber < 0 || lot.mainNumber > kLotNumberMax || lot.subNumber < 0 || lot.subNumber > kLotNumberMax)
        throw ArchiveError(
            Failure::Invalid,
            QStringLiteral("본번과 부번은 0에서 9999 사이여야 합니다: %1-%2").arg(lot.mainNumber).arg(lot.subNumber));
    if (!isRegionCode(lot.regionCode))
        throw ArchiveError(Failure::Invalid, QStringLiteral("행정코드 목록에 없는 지역입니다: %1").arg(lot.regionCode));
    const QString pnu = parcelNumber(lot.regionCode, lot.mountain, lot.mainNumber, lot.subNumber);
    Transaction transaction(*this);
    StoredDocument d = openedDocument(documentId, version);
    QSqlQuery known = prepare(QStringLiteral("SELECT 1 FROM regions WHERE code = ?"));
    known.addBindValue(lot.regionCode);
    exec(known);
    if (!known.next())
        throw ArchiveError(Failure::Invalid, QStringLiteral("행정코드 목록에 없는 지역입니다: %1").arg(lot.regionCode));
    known.finish();
    for (const StoredLot& stored : d.lots)
        if (stored.parcelNumber == pnu)
            throw ArchiveError(Failure::Invalid, QStringLiteral("이 문서에 이미 있는 필지입니다: %1").arg(pnu));
    const QString before = recordJson(d);
    QSqlQuery insert = prepare(QStringLiteral("INSERT INTO lots (document_id, region_code, san, main_number, "
                                              "sub_number, pnu) VALUES (?, ?, ?, ?, ?, ?)"));
    insert.addBindValue(documentId);
    insert.addBindValue(lot.regionCode);
    insert.addBindValue(lot.mountain ? 1 : 0);
    insert.addBindValue(lot.mainNumber);
    insert.addBindValue(lot.subNumber);
    insert.addBindValue(pnu);
    exec(insert);
    d.version = raiseVersion(d);
    d.lots.append({lot.regionCode, lot.mountain, lot.mainNumber, lot.subNumber, pnu});
    audit(QStringLiteral("lot_add"), QStringLiteral("documents"), documentId, before, recordJson(d));
    transaction.commit();
    return d.version;
}

int Store::removeLot(qint64 documentId, int version, const NewLot& lot)
{
    require(Command::ModifyRecords);
    const QString pnu = parcelNumber(lot.regionCode, lot.mountain, lot.mainNumber, lot.subNumber);
    Transaction transaction(*this);
    StoredDocument d = openedDocument(documentId, version);
    const auto found =
        std::find_if(d.lots.begin(), d.lots.end(), [&](const StoredLot& stored) { return stored.parcelNumber == pnu; });
    if (found == d.lots.end())
        throw ArchiveError(Failure::Invalid, QStringLiteral("이 문서에 없는 필지입니다: %1").arg(pnu));
    if (d.lots.size() == 1)
        throw ArchiveError(Failure::Invalid, lastLotRefusal());
    const QString before = recordJson(d);
    QSqlQuery remove = prepare(QStringLiteral("DELETE FROM lots WHERE document_id = ? AND pnu = ?"));
    remove.addBindValue(documentId);
    remove.addBindValue(pnu);
    exec(remove);
    d.version = raiseVersion(d);
    d.lots.erase(found);
    audit(QStringLiteral("lot_remove"), QStringLiteral("documents"), documentId, before, recordJson(d));
    transaction.commit();
    return d.version;
}

int Store::updateAttributes(qint64 documentId, int version, const DocumentAttributes& a)
{
    require(Command::ModifyRecords);
    if (a.kind.isNull() || !kKindCodes.contains(a.kind))
        throw ArchiveError(Failure::Invalid, QStringLiteral("문서구분이 올바르지 않습니다: %1").arg(a.kind));
    if (a.surveyYear < 1000 || a.surveyYear > 9999)
        throw ArchiveError(Failure::Invalid,
                           QStringLiteral("조사기준연도는 네 자리 숫자여야 합니다: %1").arg(a.surveyYear));
    if (a.surveyMonth < 1 || a.surveyMonth > 12)
        throw ArchiveError(Failure::Invalid,
                           QStringLiteral("조사기준월은 1에서 12 사이여야 합니다: %1").arg(a.surveyMonth));
    Transaction transaction(*this);
    StoredDocument d = openedDocument(documentId, version);
    const QString before = recordJson(d);
    QSqlQuery update =
        prepare(QStringLiteral("UPDATE documents SET kind = ?, survey_year = ?, survey_month = ? WHERE id = ?"));
    update.addBindValue(QString(a.kind));
    update.addBindValue(a.surveyYear);
    update.addBindValue(a.surveyMonth);
    update.addBindValue(documentId);
    exec(update);
    d.version = raiseVersion(d);
    d.kind = a.kind;
    d.surveyYear = a.surveyYear;
    d.surveyMonth = a.surveyMonth;
    audit(QStringLiteral("document_change"), QStringLiteral("documents"), documentId, before, recordJson(d));
    transaction.commit();
    return d.version;
}

qint64 Store::deleteDocument(qint64 documentId, int version, const QString& restoredTo)
{
    require(Command::DeleteDocuments);
    Transaction transaction(*this);
    const StoredDocument d = openedDocument(documentId, version);
    raiseVersion(d);
    QSqlQuery lots = prepare(QStringLiteral("DELETE FROM lots WHERE document_id = ?"));
    lots.addBindValue(documentId);
    exec(lots);
    QSqlQuery remove = prepare(QStringLiteral("DELETE FROM documents WHERE id = ?"));
    remove.addBindValue(documentId);
    exec(remove);
    QSqlQuery pending = prepare(QStringLiteral("INSERT INTO page_removals (document_id, page_path, page_sha256, "
                                               "restored_to, removed_at) VALUES (?, ?, ?, ?, ?)"));
    pending.addBindValue(documentId);
    pending.addBindValue(d.pagePath);
    pending.addBindValue(d.pageSha256);
    pending.addBindValue(restoredTo);
    pending.addBindValue(nowText());
    exec(pending);
    pending.finish();
    QSqlQuery last = prepare(QStringLiteral("SELECT max(id) FROM page_removals WHERE document_id = ?"));
    last.addBindValue(documentId);
    exec(last);
    const qint64 removal = last.next() ? last.value(0).toLongLong() : 0;
    last.finish();
    QJsonObject after{{"restoredTo", restoredTo}};
    audit(QStringLiteral("document_delete"), QStringLiteral("documents"), documentId, recordJson(d), json(after));
    transaction.commit();
    return removal;
}

QList<PendingPageRemoval> Store::pendingPageRemovals()
{
    QSqlQuery query = prepare(
        QStringLiteral("SELECT id, document_id, page_path, page_sha256, restored_to FROM page_removals ORDER BY id"));
    exec(query);
    QList<PendingPageRemoval> rows;
    while (query.next())
        rows.append({query.value(0).toLongLong(), query.value(1).toLongLong(), query.value(2).toString(),
                     query.value(3).toString(), query.value(4).toString()});
    return rows;
}

void Store::finishPageRemoval(qint64 removalId)
{
    QSqlQuery query = prepare(QStringLiteral("DELETE FROM page_removals WHERE id = ?"));
    query.addBindValue(removalId);
    exec(query);
}

QList<StoredLot> Store::lotsOf(qint64 documentId)
{
    require(Command::Lookup);
    QSqlQuery query = prepare(QStringLiteral(
        "SELECT region_code, san, main_number, sub_number, pnu FROM lots WHERE document_id = ? ORDER BY id"));
    query.addBindValue(documentId);
    exec(query);
    QList<StoredLot> lots;
    while (query.next())
        lots.append({query.value(0).toString(), query.value(1).toInt() != 0, query.value(2).toInt(),
                     query.value(3).toInt(), query.value(4).toString()});
    return lots;
}

QList<PageRecord> Store::pageRecords()
{
    require(Command::CheckArchive);
    QSqlQuery query =
        prepare(QStringLiteral("SELECT id, page_path, page_sha256, page_bytes FROM documents ORDER BY id"));
    exec(query);
    QList<PageRecord> pages;
    while (query.next())
        pages.append({query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString(),
                      query.value(3).toLongLong()});
    return pages;
}

void Store::forEachExportRow(const std::function<void(const ExportRow&)>& visit)
{
    require(Command::Output);
    QSqlQuery query = prepare(QStringLiteral(
        "SELECT l.pnu, r.town, r.village, l.san, l.main_number, l.sub_number, d.kind, d.survey_year, d.survey_month,"
        " d.page_path FROM lots l JOIN documents d ON d.id = l.document_id JOIN regions r ON r.code = l.region_code"
        " ORDER BY d.id, l.id"));
    exec(query);
    ExportRow row;
    while (query.next()) {
        row.parcelNumber = query.value(0).toString();
        row.town = query.value(1).toString();
        row.village = query.value(2).toString();
        row.mountain = query.value(3).toInt() != 0;
        row.mainNumber = query.value(4).toInt();
        row.subNumber = query.value(5).toInt();
        const QString kind = query.value(6).toString();
        row.kind = kind.isEmpty() ? QChar() : kind[0];
        row.surveyYear = query.value(7).toInt();
        row.surveyMonth = query.value(8).toInt();
        row.pagePath = query.value(9).toString();
        visit(row);
    }
    if (query.lastError().isValid())
        fail(query);
}

// ---- Settings -------------------------------------------------------------

std::optional<QString> Store::setting(const QString& key)
{
    QSqlQuery query = prepare(QStringLiteral("SELECT value FROM settings WHERE key = ?"));
    query.addBindValue(key);
    exec(query);
    if (!query.next())
        return std::nullopt;
    return query.value(0).toString();
}

void Store::setSetting(const QString& key, const QString& value)
{
    require(Command::EditSettings);
    Transaction transaction(*this);
    const std::optional<QString> before = setting(key);
    QSqlQuery upsert = prepare(QStringLiteral(
        "INSERT INTO settings (key, value) VALUES (?, ?) ON CONFLICT (key) DO UPDATE SET value = excluded.value"));
    upsert.addBindValue(key);
    upsert.addBindValue(value);
    exec(upsert);
    audit(QStringLiteral("setting"), QStringLiteral("settings"), std::nullopt,
          before ? json({{"key", key}, {"value", *before}}) : QString(), json({{"key", key}, {"value", value}}));
    transaction.commit();
}

// ---- Maintenance ----------------------------------------------------------

void Store::backupTo(const QString& destination)
{
    require(Command::Backup);
    dialect_->backup(db_, destination);
}

QStringList Store::integrityProblems()
{
    require(Command::CheckArchive);
    return dialect_->integrityProblems(db_);
}

QList<AuditEntry> Store::auditLog(int limit)
{
    require(Command::ManageUsers);
    QSqlQuery query = prepare(QStringLiteral("SELECT at, user_name, action, subject, record_id, before_text, after_text"
                                             " FROM audit_log ORDER BY id DESC LIMIT ?"));
    query.addBindValue(limit);
    exec(query);
    QList<AuditEntry> entries;
    while (query.next())
        entries.append({query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                        query.value(3).toString(),
                        query.value(4).isNull() ? std::nullopt : std::optional<qint64>(query.value(4).toLongLong()),
                        query.value(5).toString(), query.value(6).toString()});
    return entries;
}

} // namespace rida::archive
