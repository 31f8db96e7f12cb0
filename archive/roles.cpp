#include "archive/roles.h"

namespace rida::archive {

bool allows(Role role, Command command)
{
    switch (role) {
    case Role::Administrator:
        return true;
    case Role::Clerk:
        return command == Command::Lookup || command == Command::Output || command == Command::RegisterManual ||
               command == Command::RegisterAutomatic || command == Command::ModifyRecords;
    case Role::Viewer:
        return command == Command::Lookup || command == Command::Output;
    }
    return false;
}

QString roleWord(Role role)
{
    switch (role) {
    case Role::Administrator:
        return QStringLiteral("관리자");
    case Role::Clerk:
        return QStringLiteral("등록자");
    case Role::Viewer:
        return QStringLiteral("조회자");
    }
    return {};
}

QString roleKey(Role role)
{
    switch (role) {
    case Role::Administrator:
        return QStringLiteral("admin");
    case Role::Clerk:
        return QStringLiteral("clerk");
    case Role::Viewer:
        return QStringLiteral("viewer");
    }
    return {};
}

std::optional<Role> roleFromKey(const QString& key)
{
    for (Role role : {Role::Administrator, Role::Clerk, Role::Viewer})
        if (key == roleKey(role))
            return role;
    return std::nullopt;
}

std::optional<Role> roleFromText(const QString& text)
{
    for (Role role : {Role::Administrator, Role::Clerk, Role::Viewer})
        if (text == roleWord(role) || text == roleKey(role))
            return role;
    return std::nullopt;
}

QString commandWord(Command command)
{
    switch (command) {
    case Command::Lookup:
        return QStringLiteral("지가조서 조회");
    case Command::Output:
        return QStringLiteral("출력");
    case Command::RegisterManual:
        return QStringLiteral("지가조서 수동 등록");
    case Command::RegisterAutomatic:
        return QStringLiteral("지가조서 자동 등록");
    case Command::ModifyRecords:
        return QStringLiteral("지가조서 수정");
    case Command::DeleteDocuments:
        return QStringLiteral("문서 삭제");
    case Command::ManageUsers:
        return QStringLiteral("사용자 관리");
    case Command::ManageRegions:
        return QStringLiteral("행정코드 관리");
    case Command::EditSettings:
        return QStringLiteral("환경 설정");
    case Command::Backup:
        return QStringLiteral("백업");
    case Command::CheckArchive:
        return QStringLiteral("점검");
    }
    return {};
}

} // namespace rida::archive
