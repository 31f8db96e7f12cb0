#include "recognition/engine/settings.h"

#include <climits>
#include <utility>

namespace rida::recognition {

std::string settingsRecord(const RecognitionSettings& settings)
{
    std::string json =
        "{\"typeface\":" + std::to_string(int(settings.typeface)) + ",\"mode\":" + std::to_string(int(settings.mode));
    const std::pair<const char*, Setting> numbers[] = {{"level", Setting::Level},   {"minRows", Setting::MinRows},
                                                       {"topY", Setting::TopY},     {"leftX", Setting::LeftX},
                                                       {"tableX", Setting::TableX}, {"zoneX", Setting::ZoneX}};
    for (const auto& [name, which] : numbers)
        if (settings.unreadable[std::size_t(which)].empty())
            json += std::string(",\"") + name + "\":" + std::to_string(settings.read(which));
    return json + "}";
}

int RecognitionSettings::read(Setting which) const
{
    if (const std::string& error = unreadable[std::size_t(which)]; !error.empty())
        throw SettingError(error);
    switch (which) {
    case Setting::Level:
        return level;
    case Setting::MinRows:
        return minRows;
    case Setting::StopAfter:
        return stopAfter;
    case Setting::TopY:
        return topY;
    case Setting::LeftX:
        return leftX;
    case Setting::TableX:
        return tableX;
    case Setting::ZoneX:
        return zoneX;
    case Setting::Count:
        break;
    }
    throw std::invalid_argument("unknown recognition setting");
}

int parseWholeNumber(const std::string& text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size())
        throw SettingError("'" + text + "'은(는) 올바른 정수 값이 아닙니다");
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            throw SettingError("'" + text + "'은(는) 올바른 정수 값이 아닙니다");
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            throw SettingError("'" + text + "'은(는) 올바른 정수 값이 아닙니다");
    }
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        throw SettingError("'" + text + "'은(는) 올바른 정수 값이 아닙니다");
    return int(value);
}

} // namespace rida::recognition
