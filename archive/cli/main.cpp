// rida-archive: the archive store from the command line.
//
//   rida-archive [--database URL|PATH] [--pages DIR] [--user NAME] COMMAND
//
//   init [--admin NAME]           the database and the page folder; the first administrator
//   user add NAME --role ROLE     ROLE: 관리자|등록자|조회자 (also admin|clerk|viewer)
//   user passwd NAME
//   user disable NAME
//   user list
//   regions import FILE           the national 법정동코드 list, CP949
//   regions choose CODE...        the office's 시군구, 5-digit codes
//   backup DEST                   a consistent copy, also while the program runs
//   check                         pages against records, and the database's own check
//   export --csv [FILE]           one line per lot, UTF-8 with BOM; standard output without FILE
//   import --kind K --year YYYY --month M --region CODE [--copy|--move] [--rename|--keep-name] [FILE|-]
//                                 registers the pages of "rida-recognize --json" lines
//
// import reads one JSON object a line, as rida-recognize --json prints them,
// from FILE or (without FILE, or with "-") from standard input, and registers
// each page whose status is "ok" with its lots under the 동리 CODE (ten digits)
// as the automatic window does: the same checks, placement, journal and
// duplicate rule. It prints one line per page: the record number, or why the
// page was not registered. Without --copy/--move and --rename/--keep-name the
// office's settings decide. With the lines on standard input the password is
// read from the terminal.
//
// import and check first resolve the filings that an earlier run left
// unfinished (a killed process, a power cut) and say so on standard error.
//
// Every command but init runs as the user named by --user, whose password is
// asked first. Passwords come from the terminal without echo or, when standard
// input is not a terminal, one line each from it: the --user password first,
// then a new password twice. Never from the command line.
//
// Exit status: 0 done, 1 a finding or a refusal (said in Korean on standard
// error; for import, any page not registered), 2 a usage error.

#include "archive/error.h"
#include "archive/location.h"
#include "archive/officesettings.h"
#include "archive/pagefolder.h"
#include "archive/parcel.h"
#include "archive/password.h"
#include "archive/placement.h"
#include "archive/recognisedlot.h"
#include "archive/regionlist.h"
#include "archive/roles.h"
#include "archive/sha256.h"
#include "archive/store.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStringList>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

namespace {

using namespace rida::archive;

constexpr int kDone = 0;
constexpr int kRefused = 1;
constexpr int kUsage = 2;

const char* const kUsageText = "usage: rida-archive [--database URL|PATH] [--pages DIR] [--user NAME] COMMAND\n"
                               "  init [--admin NAME]\n"
                               "  user add NAME --role 관리자|등록자|조회자   (admin|clerk|viewer)\n"
                               "  user passwd NAME\n"
                               "  user disable NAME\n"
                               "  user list\n"
                               "  regions import FILE\n"
                               "  regions choose CODE...\n"
                               "  backup DEST\n"
                               "  check\n"
                               "  export --csv [FILE]\n"
                               "  import --kind T|G|S|J|Y|X --year YYYY --month M --region CODE\n"
                               "         [--copy|--move] [--rename|--keep-name] [FILE|-]\n";

struct UsageError {
    QString message;
};

struct Arguments {
    QString database, pages, user, admin, role;
    bool csv = false;
    // import
    QString kind, year, month, region;
    std::optional<Transfer> transfer;
    std::optional<NameRule> nameRule;
    QStringList words; // the command and its operands
};

Arguments parse(const QStringList& args)
{
    Arguments a;
    auto valueOf = [&](qsizetype& k) {
        if (k + 1 >= args.size())
            throw UsageError{QStringLiteral("%1 뒤에 값이 없습니다.").arg(args[k])};
        return args[++k];
    };
    bool optionsEnded = false;
    for (qsizetype k = 1; k < args.size(); ++k) {
        const QString& arg = args[k];
        if (optionsEnded || !arg.startsWith(QLatin1String("--"))) {
            a.words << arg;
        } else if (arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (arg == QLatin1String("--database")) {
            a.database = valueOf(k);
        } else if (arg == QLatin1String("--pages")) {
            a.pages = valueOf(k);
        } else if (arg == QLatin1String("--user")) {
            a.user = valueOf(k);
        } else if (arg == QLatin1String("--admin")) {
            a.admin = valueOf(k);
        } else if (arg == QLatin1String("--role")) {
            a.role = valueOf(k);
        } else if (arg == QLatin1String("--csv")) {
            a.csv = true;
        } else if (arg == QLatin1String("--kind")) {
            a.kind = valueOf(k);
        } else if (arg == QLatin1String("--year")) {
            a.year = valueOf(k);
        } else if (arg == QLatin1String("--month")) {
            a.month = valueOf(k);
        } else if (arg == QLatin1String("--region")) {
            a.region = valueOf(k);
        } else if (arg == QLatin1String("--copy") || arg == QLatin1String("--move")) {
            const Transfer t = arg == QLatin1String("--copy") ? Transfer::Copy : Transfer::Move;
            if (a.transfer && *a.transfer != t)
                throw UsageError{QStringLiteral("--copy와 --move는 함께 쓸 수 없습니다.")};
            a.transfer = t;
        } else if (arg == QLatin1String("--rename") || arg == QLatin1String("--keep-name")) {
            const NameRule r = arg == QLatin1String("--rename") ? NameRule::Rename : NameRule::KeepName;
            if (a.nameRule && *a.nameRule != r)
                throw UsageError{QStringLiteral("--rename과 --keep-name은 함께 쓸 수 없습니다.")};
            a.nameRule = r;
        } else if (arg == QLatin1String("--help")) {
            a.words = {QStringLiteral("help")};
            return a;
        } else if (arg.startsWith(QLatin1String("--password"))) {
            throw UsageError{QStringLiteral("비밀번호는 명령줄로 받지 않습니다. 물어볼 때 입력하십시오.")};
        } else {
            throw UsageError{QStringLiteral("알 수 없는 옵션입니다: %1").arg(arg)};
        }
    }
    return a;
}

void say(const QString& text)
{
    std::cout << text.toStdString() << '\n';
}

void complain(const QString& text)
{
    std::cerr << "rida-archive: " << text.toStdString() << '\n';
}

// The terminal the passwords come from when standard input carries the
// command's data (import -): -1 while standard input holds the passwords.
int secretTerminal = -1;

// One line from the terminal without echo, or from standard input as it comes.
QString readSecret(const QString& prompt)
{
    const int fd = secretTerminal >= 0 ? secretTerminal : STDIN_FILENO;
    const bool terminal = ::isatty(fd) == 1;
    termios saved{};
    if (terminal) {
        std::cerr << prompt.toStdString() << std::flush;
        ::tcgetattr(fd, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    std::string line;
    bool got = false;
    if (fd == STDIN_FILENO) {
        got = static_cast<bool>(std::getline(std::cin, line));
    } else {
        char c = 0;
        ssize_t n = 0;
        while ((n = ::read(fd, &c, 1)) == 1 && c != '\n')
            line.push_back(c);
        got = n == 1 || !line.empty();
        c = 0;
    }
    if (terminal) {
        ::tcsetattr(fd, TCSAFLUSH, &saved);
        std::cerr << '\n';
    }
    if (!got)
        throw ArchiveError(Failure::Invalid, QStringLiteral("비밀번호를 읽지 못했습니다(입력이 끝났습니다)."));
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    QString secret = QString::fromUtf8(line);
    wipe(line);
    return secret;
}

QString readNewPassword(const QString& whose)
{
    QString first = readSecret(QStringLiteral("%1의 새 비밀번호: ").arg(whose));
    QString second = readSecret(QStringLiteral("%1의 새 비밀번호 확인: ").arg(whose));
    const bool same = first == second;
    second.fill(QChar(0));
    if (!same) {
        first.fill(QChar(0));
        throw ArchiveError(Failure::Invalid, QStringLiteral("두 번 입력한 비밀번호가 서로 다릅니다."));
    }
    return first;
}

void signIn(Store& store, const QString& name)
{
    if (name.isEmpty())
        throw UsageError{QStringLiteral("이 명령에는 --user NAME이 필요합니다.")};
    QString password = readSecret(QStringLiteral("%1의 비밀번호: ").arg(name));
    const SignInResult result = store.signIn(name, password);
    password.fill(QChar(0));
    if (!result.ok())
        throw ArchiveError(Failure::NotSignedIn, result.message);
}

void expectWords(const Arguments& a, qsizetype least, qsizetype most)
{
    if (a.words.size() < least || (most >= 0 && a.words.size() > most))
        throw UsageError{QStringLiteral("명령의 인자 수가 맞지 않습니다: %1").arg(a.words.join(u' '))};
}

QString csvField(const QString& text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString kindWord(QChar code)
{
    static const QHash<QChar, QString> words{
        {u'T', QStringLiteral("토지특성조사표")}, {u'G', QStringLiteral("결정조서")},
        {u'S', QStringLiteral("산정조서")},       {u'J', QStringLiteral("조사대상필지부")},
        {u'Y', QStringLiteral("열람부")},         {u'X', QStringLiteral("기타문서")},
    };
    return words.value(code, QString(code));
}

int exportCsv(Store& store, const QString& file)
{
    QSaveFile saved(file);
    QFile out;
    QIODevice* device = nullptr;
    if (file.isEmpty()) {
        if (!out.open(stdout, QIODevice::WriteOnly))
            throw ArchiveError(Failure::Database, QStringLiteral("표준 출력에 쓸 수 없습니다."));
        device = &out;
    } else {
        if (!saved.open(QIODevice::WriteOnly))
            throw ArchiveError(
                Failure::ReadOnly,
                QStringLiteral("내보낼 파일을 만들 수 없습니다: %1 (%2)").arg(file, saved.errorString()));
        device = &saved;
    }
    // The byte order mark tells a spreadsheet that the text is UTF-8.
    QByteArray text = "\xEF\xBB\xBF";
    text += QStringLiteral("PNU,읍면,동리,산,본번,부번,문서구분,조사연도,조사월,이미지경로\r\n").toUtf8();
    int lines = 0;
    store.forEachExportRow([&](const ExportRow& row) {
        const QStringList fields{row.parcelNumber,
                                 csvField(row.town),
                                 csvField(row.village),
                                 row.mountain ? QStringLiteral("산") : QString(),
                                 QString::number(row.mainNumber),
                                 QString::number(row.subNumber),
                                 kindWord(row.kind),
                                 QString::number(row.surveyYear),
                                 QString::number(row.surveyMonth),
                                 csvField(row.pagePath)};
        text += fields.join(u',').toUtf8();
        text += "\r\n";
        ++lines;
        if (text.size() > (1 << 16)) {
            device->write(text);
            text.clear();
        }
    });
    device->write(text);
    if (file.isEmpty()) {
        out.flush();
    } else if (!saved.commit()) {
        throw ArchiveError(Failure::DiskFull,
                           QStringLiteral("내보낼 파일을 쓰지 못했습니다: %1 (%2)").arg(file, saved.errorString()));
    }
    if (!file.isEmpty())
        say(QStringLiteral("필지 %1줄을 내보냈습니다: %2").arg(lines).arg(file));
    return kDone;
}

// Finishes or undoes the filings an earlier run left unfinished, and says what it did.
void resolveJournal(Store& store, const QString& pages)
{
    const RecoveryReport report = recoverPendingFilings(store, pages);
    for (const QString& message : report.messages)
        complain(message);
    for (const QString& missing : report.missingPages)
        complain(missing);
    if (report.undone + report.finished + report.left + report.pagesRemoved > 0)
        complain(QStringLiteral("중단된 등록을 정리했습니다: 되돌림 %1건, 마침 %2건, 남음 %3건, 지운 사본 %4건")
                     .arg(report.undone)
                     .arg(report.finished)
                     .arg(report.left)
                     .arg(report.pagesRemoved));
}

struct ImportAttributes {
    QChar kind;
    int year = 0;
    int month = 0;
    QString region;
};

// The document attributes of import, checked before anything is asked.
ImportAttributes importAttributes(const Arguments& a)
{
    ImportAttributes attributes;
    if (a.kind.size() != 1 || !QStringLiteral("TGSJYX").contains(a.kind))
        throw UsageError{QStringLiteral("--kind는 T, G, S, J, Y, X 가운데 하나입니다.")};
    attributes.kind = a.kind.front();
    if (!isDigits(a.year, 4) || a.year.toInt() == 0)
        throw UsageError{QStringLiteral("--year는 4자리 조사기준연도입니다.")};
    attributes.year = a.year.toInt();
    bool ok = false;
    attributes.month = a.month.toInt(&ok);
    if (!ok || a.month.size() > 2 || attributes.month < 1 || attributes.month > 12)
        throw UsageError{QStringLiteral("--month는 1에서 12 사이의 기준월입니다.")};
    if (!isRegionCode(a.region))
        throw UsageError{QStringLiteral("--region은 동리의 10자리 법정동코드입니다.")};
    attributes.region = a.region;
    return attributes;
}

// One line of the window's failure list: the archive's reason on one line.
QString oneLine(const QString& text)
{
    return text.simplified();
}

// What happened to the page of one JSON line; true when it was registered.
bool importLine(Store& store, const QString& pages, const FilingRequest& pattern, const QByteArray& text,
                int lineNumber)
{
    QJsonParseError parseError{};
    const QJsonDocument json = QJsonDocument::fromJson(text, &parseError);
    const QJsonObject line = json.object();
    const QString file = line.value(QLatin1String("file")).toString();
    if (!json.isObject() || file.isEmpty()) {
        say(QStringLiteral("%1번째 줄: rida-recognize --json의 줄이 아닙니다.").arg(lineNumber));
        return false;
    }
    const QString status = line.value(QLatin1String("status")).toString();
    if (status != QLatin1String("ok")) {
        if (status == QLatin1String("no-reference"))
            say(file + QString::fromUtf8(" 기준점 인식 실패"));
        else if (status == QLatin1String("too-few-rows"))
            say(file + QString::fromUtf8(" 파일 인식 실패"));
        else
            say(file + QStringLiteral(" 인식 실패: ") + oneLine(line.value(QLatin1String("error")).toString(status)));
        return false;
    }
    FilingRequest request = pattern;
    // The journal names the source wherever the next start runs from.
    request.sourcePath = QFileInfo(file).absoluteFilePath();
    for (const QJsonValue lot : line.value(QLatin1String("lots")).toArray()) {
        const std::optional<NewLot> stored = recognisedLot(lot.toString().toStdString(), request.regionCode);
        if (!stored) {
            say(file + QStringLiteral(" 등록 실패: 필지를 읽을 수 없습니다: ") + lot.toString());
            return false;
        }
        request.lots.append(*stored);
    }
    const QJsonValue settings = line.value(QLatin1String("settings"));
    if (settings.isObject())
        request.recognitionSettings =
            QString::fromUtf8(QJsonDocument(settings.toObject()).toJson(QJsonDocument::Compact));
    else if (settings.isString())
        request.recognitionSettings = settings.toString();
    try {
        const FiledPage filed = filePage(store, pages, request);
        QString said = file + QStringLiteral(" 등록: 문서 %1, %2").arg(filed.documentId).arg(filed.pagePath);
        for (const QString& note : filed.notes)
            said += QStringLiteral(" (") + oneLine(note) + u')';
        say(said);
        return true;
    } catch (const ArchiveError& e) {
        if (e.failure() == Failure::Conflict) {
            const std::optional<FileDigest> digest = digestOfFile(file);
            if (const auto existing = digest ? documentWithPage(store, digest->sha256) : std::nullopt) {
                say(file + QStringLiteral(" 이미 등록된 파일: 문서 %1").arg(*existing));
                return false;
            }
        }
        switch (e.failure()) {
        case Failure::DiskFull:
        case Failure::Missing:
        case Failure::ReadOnly:
        case Failure::Locked:
        case Failure::NotSignedIn:
        case Failure::NotAllowed:
        case Failure::Database:
        case Failure::Damaged:
        case Failure::Unreachable:
            // The archive itself cannot take pages now: the rest stay at their sources.
            say(file + QStringLiteral(" 등록 실패: ") + oneLine(e.text()));
            throw;
        default:
            say(file + QStringLiteral(" 등록 실패: ") + oneLine(e.text()));
            return false;
        }
    }
}

int importPages(Store& store, const QString& pages, const ImportAttributes& attributes, const Arguments& a,
                const QString& file)
{
    const OfficeSettings office = loadOfficeSettings(store);
    FilingRequest pattern;
    pattern.transfer = a.transfer.value_or(office.transfer);
    pattern.nameRule = a.nameRule.value_or(office.nameRule);
    pattern.kind = attributes.kind;
    pattern.surveyYear = attributes.year;
    pattern.surveyMonth = attributes.month;
    pattern.regionCode = attributes.region;
    pattern.registration = Registration::Automatic;

    QFile in;
    const bool fromStandardInput = file.isEmpty() || file == QLatin1String("-");
    if (fromStandardInput ? !in.open(stdin, QIODevice::ReadOnly)
                          : (in.setFileName(file), !in.open(QIODevice::ReadOnly)))
        throw ArchiveError(Failure::Missing,
                           QStringLiteral("인식 결과 파일을 읽을 수 없습니다: %1 (%2)")
                               .arg(fromStandardInput ? QStringLiteral("표준 입력") : file, in.errorString()));
    int registered = 0;
    int refused = 0;
    int lineNumber = 0;
    try {
        while (!in.atEnd()) {
            const QByteArray text = in.readLine().trimmed();
            ++lineNumber;
            if (text.isEmpty())
                continue;
            if (importLine(store, pages, pattern, text, lineNumber))
                ++registered;
            else
                ++refused;
            std::cout << std::flush;
        }
    } catch (const ArchiveError&) {
        complain(QStringLiteral("등록을 중지했습니다. 지금까지 등록한 %1개 파일은 보관되었고, 나머지 파일은 원래 "
                                "폴더에 그대로 있습니다.")
                     .arg(registered));
        throw;
    }
    if (refused > 0) {
        complain(QStringLiteral("등록 %1건, 등록하지 못한 파일 %2건").arg(registered).arg(refused));
        return kRefused;
    }
    complain(QStringLiteral("등록 %1건").arg(registered));
    return kDone;
}

int run(const Arguments& a, const ArchiveLocation& where)
{
    const QString command = a.words.value(0);
    const QString sub = a.words.value(1);
    StoreOptions options;
    options.connection.createIfMissing = command == QLatin1String("init");

    if (command == QLatin1String("init")) {
        expectWords(a, 1, 1);
        createPageFolder(where.pages);
        auto store = Store::open(where.database, options);
        say(QStringLiteral("데이터베이스: %1").arg(where.database));
        say(QStringLiteral("이미지 폴더: %1").arg(where.pages));
        if (!a.admin.isEmpty()) {
            if (store->hasUsers())
                throw ArchiveError(
                    Failure::Conflict,
                    QStringLiteral("이미 사용자가 있습니다. 첫 관리자는 빈 데이터베이스에서만 만듭니다."));
            QString password = readNewPassword(a.admin);
            store->createFirstAdministrator(a.admin, password);
            password.fill(QChar(0));
            say(QStringLiteral("첫 관리자를 만들었습니다: %1").arg(store->currentUser()->name));
        } else if (!store->hasUsers()) {
            say(QStringLiteral(
                "아직 사용자가 없습니다. \"rida-archive init --admin NAME\"으로 첫 관리자를 만드십시오."));
        }
        return kDone;
    }

    const bool known =
        (command == QLatin1String("user") && QStringList{"add", "passwd", "disable", "list"}.contains(sub)) ||
        (command == QLatin1String("regions") && QStringList{"import", "choose"}.contains(sub)) ||
        command == QLatin1String("backup") || command == QLatin1String("check") || command == QLatin1String("export") ||
        command == QLatin1String("import");
    if (!known)
        throw UsageError{command.isEmpty() ? QStringLiteral("명령이 없습니다.")
                                           : QStringLiteral("알 수 없는 명령입니다: %1").arg(a.words.join(u' '))};
    // The arguments are checked before anything is asked.
    std::optional<Role> role;
    std::optional<ImportAttributes> attributes;
    if (command == QLatin1String("user")) {
        expectWords(a, sub == QLatin1String("list") ? 2 : 3, sub == QLatin1String("list") ? 2 : 3);
        if (sub == QLatin1String("add")) {
            role = roleFromText(a.role);
            if (!role)
                throw UsageError{QStringLiteral("--role은 관리자, 등록자, 조회자(admin, clerk, viewer) 가운데 "
                                                "하나입니다.")};
        }
    } else if (command == QLatin1String("regions")) {
        expectWords(a, 3, sub == QLatin1String("import") ? 3 : -1);
    } else if (command == QLatin1String("backup")) {
        expectWords(a, 2, 2);
    } else if (command == QLatin1String("check")) {
        expectWords(a, 1, 1);
    } else if (command == QLatin1String("export")) {
        if (!a.csv)
            throw UsageError{QStringLiteral("export에는 --csv가 필요합니다.")};
        expectWords(a, 1, 2);
    } else if (command == QLatin1String("import")) {
        expectWords(a, 1, 2);
        attributes = importAttributes(a);
        if (a.words.size() < 2 || a.words[1] == QLatin1String("-")) {
            // The lines take standard input: the password comes from the terminal.
            secretTerminal = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
            if (secretTerminal < 0)
                throw UsageError{QStringLiteral("인식 결과를 표준 입력으로 받을 때는 비밀번호를 터미널에서 "
                                                "입력합니다. 터미널이 없으면 인식 결과 파일(FILE)을 지정하십시오.")};
        }
    }
    if (a.user.isEmpty())
        throw UsageError{QStringLiteral("이 명령에는 --user NAME이 필요합니다.")};

    auto store = Store::open(where.database, options);
    signIn(*store, a.user);

    if (command == QLatin1String("user")) {
        const QString name = a.words.value(2);
        if (sub == QLatin1String("add")) {
            store->require(Command::ManageUsers); // refused before a password is asked
            QString password = readNewPassword(name);
            store->addUser(name, *role, password);
            password.fill(QChar(0));
            say(QStringLiteral("사용자를 추가했습니다: %1 (%2)").arg(name.trimmed(), roleWord(*role)));
        } else if (sub == QLatin1String("passwd")) {
            if (store->currentUser()->name != name.trimmed())
                store->require(Command::ManageUsers);
            QString password = readNewPassword(name);
            store->setPassword(name, password);
            password.fill(QChar(0));
            say(QStringLiteral("비밀번호를 바꾸었습니다: %1").arg(name.trimmed()));
        } else if (sub == QLatin1String("disable")) {
            store->setDisabled(name, true);
            say(QStringLiteral("사용자를 사용 중지했습니다: %1").arg(name.trimmed()));
        } else {
            for (const UserInfo& user : store->users())
                say(QStringLiteral("%1\t%2\t%3")
                        .arg(user.name, roleWord(user.role),
                             user.disabled ? QStringLiteral("사용 중지") : QStringLiteral("사용")));
        }
        return kDone;
    }
    if (command == QLatin1String("regions")) {
        if (sub == QLatin1String("import")) {
            const RegionImportSummary s = store->importRegions(readRegionList(a.words.value(2)));
            say(QStringLiteral("행정코드 %1줄을 가져왔습니다: 새 코드 %2, 바뀐 코드 %3(새로 폐지 %4)")
                    .arg(s.total)
                    .arg(s.added)
                    .arg(s.changed)
                    .arg(s.abolished));
        } else {
            store->chooseDistricts(a.words.mid(2));
            say(QStringLiteral("시군구를 골랐습니다: %1").arg(store->chosenDistricts().join(u' ')));
        }
        return kDone;
    }
    if (command == QLatin1String("backup")) {
        store->backupTo(a.words.value(1));
        say(QStringLiteral("백업했습니다: %1").arg(a.words.value(1)));
        return kDone;
    }
    if (command == QLatin1String("import")) {
        const QString pages = pageFolderInUse(where, loadOfficeSettings(*store));
        resolveJournal(*store, pages);
        return importPages(*store, pages, *attributes, a, a.words.value(1));
    }
    if (command == QLatin1String("check")) {
        const QString pages = pageFolderInUse(where, loadOfficeSettings(*store));
        resolveJournal(*store, pages);
        const PageFolderStatus folder = pageFolderStatus(pages);
        const QList<CheckFinding> findings = checkArchive(*store, pages);
        if (!folder.ready())
            complain(folder.message);
        for (const CheckFinding& finding : findings)
            say(finding.message);
        if (findings.isEmpty() && folder.ready()) {
            say(QStringLiteral("이상이 없습니다: 문서 %1건").arg(store->totals().pages));
            return kDone;
        }
        complain(QStringLiteral("점검에서 문제 %1건이 나왔습니다.").arg(findings.size() + (folder.ready() ? 0 : 1)));
        return kRefused;
    }
    return exportCsv(*store, a.words.value(1));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    try {
        const Arguments a = parse(QCoreApplication::arguments());
        if (a.words.value(0) == QLatin1String("help")) {
            std::cout << kUsageText;
            return kDone;
        }
        LocationSources sources = standardSources(QCoreApplication::applicationDirPath());
        sources.databaseOption = a.database;
        sources.pagesOption = a.pages;
        return run(a, resolveLocation(sources));
    } catch (const UsageError& e) {
        complain(e.message);
        std::cerr << kUsageText;
        return kUsage;
    } catch (const ArchiveError& e) {
        complain(e.text());
        return kRefused;
    } catch (const std::exception& e) {
        complain(QString::fromLocal8Bit(e.what()));
        return kRefused;
    }
}
