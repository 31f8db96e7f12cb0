#include "model/keyrules.h"

namespace rida::model {

KeyDecision decideKey(KeyRule rule, char32_t typed, bool targetEnabled)
{
    const bool enter = typed == kEnter;
    switch (rule) {
    case KeyRule::Pass:
        return {};
    case KeyRule::Swallow:
        return {true, false, false};
    case KeyRule::EnterMoves:
        return {false, enter, false};
    case KeyRule::EnterMovesAndSelects:
        return {false, enter, enter};
    case KeyRule::EnterMovesAndSelectsElseSwallow:
        return {!enter, enter, enter};
    case KeyRule::EnterMovesIfEnabled:
        return {false, enter && targetEnabled, false};
    }
    return {};
}

} // namespace rida::model
