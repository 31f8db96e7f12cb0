#include "app/archiveedition.h"

#include "archive/error.h"
#include "archive/officesettings.h"
#include "archive/pagefolder.h"
#include "archive/placement.h"
#include "components/pagefiling.h"
#include "ui/services.h"

#include <QFileInfo>

namespace rida::app {

using archive::ArchiveError;
using archive::Failure;

namespace {

// The board shows one line per figure: the first line of a message.
QString firstLine(const QString& text)
{
    return text.section(u'\n', 0, 0);
}

} // namespace

ArchiveEdition::ArchiveEdition(std::unique_ptr<archive::Store> store, archive::ArchiveLocation location)
    : store_(std::move(store)), location_(std::move(location)), regions_(components::storeRegions(*store_))
{
}

ArchiveEdition::~ArchiveEdition() = default;

QString ArchiveEdition::pageFolder()
{
    return archive::pageFolderInUse(location_, archive::loadOfficeSettings(*store_));
}

QStringList ArchiveEdition::boardLines()
{
    const auto& user = store_->currentUser();
    QStringList lines;
    lines << QString() << QStringLiteral(" 접속 사용자 : %1").arg(user ? user->name : QString()) << QString();

    archive::RegistrationTotals totals;
    int users = 0;
    QString folder = location_.pages;
    QString databaseFailure;
    try {
        totals = store_->totals();
        users = store_->activeUserCount();
        folder = pageFolder();
    } catch (...) {
        databaseFailure = firstLine(ui::errorText(std::current_exception()));
    }
    lines << (databaseFailure.isEmpty() ? QStringLiteral(" 데이터베이스 서버 연결 : 성공")
                                        : QStringLiteral(" 데이터베이스 서버 연결 : 실패 (%1)").arg(databaseFailure));
    const archive::PageFolderStatus status = archive::pageFolderStatus(folder);
    lines << (status.ready() ? QStringLiteral(" 이미지 폴더 연결 : 성공")
                             : QStringLiteral(" 이미지 폴더 연결 : 실패 (%1)").arg(firstLine(status.message)));
    lines << QString();
    lines << (databaseFailure.isEmpty() ? u' ' + archive::totalsLine(totals)
                                        : QStringLiteral(" 지가조서 등록 합계 : 알 수 없음"));
    lines << QString();
    lines << (databaseFailure.isEmpty() ? u' ' + archive::usersLine(users)
                                        : QStringLiteral(" 사용자 등록 : 알 수 없음"));
    return lines;
}

QStringList ArchiveEdition::finishPendingFilings()
{
    try {
        const archive::RecoveryReport report = archive::recoverPendingFilings(*store_, pageFolder());
        return report.messages + report.missingPages;
    } catch (...) {
        return {ui::errorText(std::current_exception())};
    }
}

std::unique_ptr<ArchiveEdition> openArchiveEdition(const archive::LocationSources& sources,
                                                   archive::StoreOptions options)
{
    const QString ending = QStringLiteral("\n\n프로그램을 끝냅니다.");
    archive::ArchiveLocation location;
    try {
        location = archive::resolveLocation(sources);
    } catch (const ArchiveError& e) {
        ui::reportError(nullptr, e.text() + ending);
        return nullptr;
    }
    options.connection.createIfMissing = true;
    for (;;) {
        try {
            auto edition = std::make_unique<ArchiveEdition>(archive::Store::open(location.database, options), location);
            // Only the default folder is made here: a named one that is missing may
            // be a network share that has not come up, and pages must not land
            // on the local disk in its place. The board says that it is missing.
            const QString pages = edition->pageFolder();
            if (location.pagesNamedBy == archive::ArchiveLocation::Named::Default && pages == location.pages &&
                !QFileInfo::exists(pages)) {
                try {
                    archive::createPageFolder(pages);
                } catch (const ArchiveError&) {
                    // The board says that the folder cannot be used.
                }
            }
            return edition;
        } catch (const ArchiveError& e) {
            if (e.failure() == Failure::Locked &&
                ui::services().askYesNo(nullptr, e.text() + QStringLiteral("\n\n다시 시도하시겠습니까? (아니요: "
                                                                           "프로그램을 끝냅니다)")))
                continue;
            if (e.failure() != Failure::Locked)
                ui::reportError(nullptr, e.text() + ending);
            return nullptr;
        } catch (...) {
            ui::reportError(nullptr, ui::errorText(std::current_exception()) + ending);
            return nullptr;
        }
    }
}

QString refusalHint(archive::Role role, archive::Command command)
{
    QStringList allowed;
    for (archive::Role r : {archive::Role::Administrator, archive::Role::Clerk, archive::Role::Viewer})
        if (archive::allows(r, command))
            allowed << archive::roleWord(r);
    return QStringLiteral("%1: %2만 쓸 수 있습니다 (지금 역할: %3).")
        .arg(archive::commandWord(command), allowed.join(QStringLiteral(", ")), archive::roleWord(role));
}

} // namespace rida::app
