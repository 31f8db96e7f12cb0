#include "archive/recognisedlot.h"

namespace rida::archive {

std::optional<NewLot> recognisedLot(const std::string& line, const QString& regionCode)
{
    auto digits = [&](std::size_t from, std::size_t count) {
        int value = 0;
        for (std::size_t k = from; k < from + count; ++k) {
            if (line[k] < '0' || line[k] > '9')
                return -1;
            value = value * 10 + (line[k] - '0');
        }
        return value;
    };
    if (line.size() != 11 || (line[0] != '1' && line[0] != '2') || line[1] != ' ' || line[6] != ' ')
        return std::nullopt;
    const int mainNumber = digits(2, 4);
    const int subNumber = digits(7, 4);
    if (mainNumber < 0 || subNumber < 0)
        return std::nullopt;
    return NewLot{regionCode, line[0] == '2', mainNumber, subNumber};
}

} // namespace rida::archive
