#pragma once
// Key filters of the entry fields. Each field has one rule, applied to every
// character typed into it (Enter and Backspace are characters too; arrow keys,
// Delete and other keys that type nothing are never filtered).

namespace rida::model {

enum class KeyRule {
    Pass,                 // the character reaches the field
    Swallow,              // every character is discarded
    EnterMoves,           // Enter moves the focus on; other characters pass
    EnterMovesAndSelects, // as EnterMoves, then the target's whole text is selected
    EnterMovesAndSelectsElseSwallow,
    EnterMovesIfEnabled, // Enter moves only while the target is enabled
};

struct KeyDecision {
    bool discard = false;   // the character never reaches the field
    bool moveFocus = false; // the focus goes to the rule's target
    bool selectTarget = false;
};

constexpr char32_t kEnter = U'\r';
constexpr char32_t kBackspace = U'\b';

KeyDecision decideKey(KeyRule rule, char32_t typed, bool targetEnabled);

} // namespace rida::model
