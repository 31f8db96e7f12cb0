#pragma once
// The national list of 법정동코드 as it is published: CP949 text, one code a
// line, fields separated by tabs, the header "법정동코드	법정동명	폐지여부".
// Each line holds the 10-digit code, the full name ("경기도 양평군 양평읍 양근리")
// and "존재" or "폐지".

#include <QByteArray>
#include <QString>

#include <vector>

namespace rida::archive {

struct RegionEntry {
    QString code;     // ten digits
    QString fullName; // as published, levels separated by single spaces
    // The name of each level, from the codes above this one in the same list:
    // for "4183025021" 경기도, 양평군, 양평읍, 양근리. Below the code's own level,
    // and for a level the list does not hold, empty.
    QString province; // 시도
    QString district; // 시군구; may hold two words ("수원시 장안구")
    QString town;     // 읍면동
    QString village;  // 리
    bool abolished = false;
};

// The whole list, or an ArchiveError (Failure::Invalid) naming the first line at
// fault: bytes that are not CP949 (a UTF-8 file), a wrong header, a line with
// too few or too many fields, a code that is not ten digits, an unknown status
// word, a code listed twice. Lines may end with CR LF or LF; empty lines are
// skipped.
std::vector<RegionEntry> parseRegionList(const QByteArray& bytes);
// The same for a file; a file that cannot be read is refused with its reason.
std::vector<RegionEntry> readRegionList(const QString& path);

} // namespace rida::archive
