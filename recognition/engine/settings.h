#pragma once
// The settings of a recognition run, with their defaults: a run with
// RecognitionSettings{} reads the standard form, and every front end (the
// automatic registration window, rida-recognize) starts from these values.
// Coordinates are page pixels (origin at the top-left corner, x to the right,
// y downwards).

#include "recognition/engine/background.h"
#include "recognition/engine/templates.h"

#include <array>
#include <stdexcept>
#include <string>

namespace rida::recognition {

// The numeric settings, which a front end may hold as text that is no whole number.
enum class Setting { Level, MinRows, StopAfter, TopY, LeftX, TableX, ZoneX, Count };

struct RecognitionSettings {
    Typeface typeface = Typeface::Gothic;  // template set and the meaning of the eleventh glyph
    RemovalMode mode = RemovalMode::Plain; // how the page is reduced to two colours
    int level = 145;                       // level of the plain mode, channel value 0..255
    int minRows = 5;                       // a page listing fewer rows fails; 0 or less: none fails
    int stopAfter = 3;                     // failures before the stop question; 0 or less: never asked
    int topY = 834;                        // first scan line of the digit search
    int leftX = 168;                       // left edge of the three alignment search windows
    int tableX = 237;                      // x of the table's left border on the reference layout
    int zoneX = 818;                       // x where the column of lot numbers begins on the reference layout

    // The run reads each setting at the step that needs it, so a setting given
    // as no whole number stops the run only where its value is first used (a bad
    // minimum of rows lets the first page be read and shown). `unreadable` holds
    // the conversion error of such a setting; empty means the value above stands.
    std::array<std::string, std::size_t(Setting::Count)> unreadable{};

    // The value of `which`; throws SettingError with the stored text when it was given as no whole number.
    int read(Setting which) const;
    void markUnreadable(Setting which, std::string message) { unreadable[std::size_t(which)] = std::move(message); }
};

// The settings a page was read with, as a record keeps them: a JSON object
// {"typeface":0,"mode":0,"level":145,"minRows":5,"topY":834,"leftX":168,
// "tableX":237,"zoneX":818} (typeface 0 고딕체, 1 명조체; mode the removal
// mode's number). Only settings the run could read are written.
std::string settingsRecord(const RecognitionSettings& settings);

// A settings text that is no whole number.
class SettingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Converts a settings text the way the window does: an optional sign and decimal
// digits, nothing else, within the range of int. Throws SettingError naming the text.
int parseWholeNumber(const std::string& text);

} // namespace rida::recognition
