#pragma once
// Region codes and the national parcel number (PNU).
//
// A 법정동코드 has ten digits: 시도 2, 시군구 3, 읍면동 3, 리 2 ("4113110100").
// A PNU is the 법정동코드, then 1 for a general lot or 2 for a lot in forest
// land (산), then 본번 and 부번 as four digits each: 19 characters
// ("4113110100" "1" "0012" "0003").

#include <QString>

namespace rida::archive {

constexpr int kRegionCodeLength = 10;
constexpr int kDistrictCodeLength = 5; // 시도 and 시군구: what an office chooses
constexpr int kParcelNumberLength = 19;
constexpr int kLotNumberMax = 9999; // 본번 and 부번 have at most four digits

bool isDigits(const QString& text, int length);
inline bool isRegionCode(const QString& text)
{
    return isDigits(text, kRegionCodeLength);
}
inline bool isDistrictCode(const QString& text)
{
    return isDigits(text, kDistrictCodeLength);
}

// Level of a region code: 1 시도, 2 시군구, 3 읍면동, 4 리.
int regionLevel(const QString& code);

// The parcel number of a lot; the numbers must lie within 0..9999.
QString parcelNumber(const QString& regionCode, bool mountain, int mainNumber, int subNumber);

} // namespace rida::archive
