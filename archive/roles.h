#pragma once
// Roles of the archive's users and the commands each may use. The windows ask
// allows() to enable or disable a command; the store asks it again before it
// writes, so a disabled button is never the only guard.

#include <QString>

#include <optional>

namespace rida::archive {

enum class Role {
    Administrator, // 관리자: everything
    Clerk,         // 등록자: lookup, output, registration and corrections (no document deleted)
    Viewer,        // 조회자: lookup and output only
};

enum class Command {
    Lookup,            // 지가조서 조회
    Output,            // printing, the word processor, saving a page; the CSV export
    RegisterManual,    // 지가조서 수동 등록
    RegisterAutomatic, // 지가조서 자동 등록
    ModifyRecords,     // 지가조서 수정: lots and document attributes
    DeleteDocuments,   // 문서/필지 전체 삭제
    ManageUsers,       // 사용자 관리
    ManageRegions,     // 행정코드 관리
    EditSettings,      // 환경 설정
    Backup,            // a copy of the database
    CheckArchive,      // the check of every record's page
};

bool allows(Role role, Command command);

// "관리자", "등록자", "조회자"
QString roleWord(Role role);
// How the database holds a role: "admin", "clerk", "viewer"
QString roleKey(Role role);
std::optional<Role> roleFromKey(const QString& key);
// The Korean word or the database key, as a user types either on the command line.
std::optional<Role> roleFromText(const QString& text);

// The command's name as a refusal names it: "사용자 관리"
QString commandWord(Command command);

} // namespace rida::archive
