#pragma once
// A lot line as the recognition lists it, "K MMMM BBBB": K is 1 for the land
// register and 2 for the forest register (산), then 본번 and 부번 as four
// digits each. The automatic window and rida-archive import both store the
// lots of a recognised page from these lines.

#include "archive/store.h"

#include <QString>

#include <optional>
#include <string>

namespace rida::archive {

// The lot of `regionCode` that `line` names; nothing for any other text.
std::optional<NewLot> recognisedLot(const std::string& line, const QString& regionCode);

} // namespace rida::archive
