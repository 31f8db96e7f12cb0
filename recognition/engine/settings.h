#pragma once
// The recognition settings of the automatic registration window, with the
// values every window starts from. Coordinates are page pixels (origin at the
// top-left corner, x to the right, y downwards).

#include "recognition/engine/templates.h"

#include <array>
#include <stdexcept>
#include <string>

namespace rida::recognition {

// The settings held in text fields, which may hold something that is no whole number.
enum class Setting { Level, MinRows, StopAfter, TopY, LeftX, TableX, ZoneX, Count };

struct RecognitionSettings {
    Typeface typeface = Typeface::Gothic; // `fontck`: template set and the meaning of the eleventh glyph
    int mode = 0;                         // `erck`: background-removal mode 0..5
    int level = 145;                      // `alsu`: level of mode 0, channel value 0..255
    int minRows = 5;                      // `doxnum`: a page listing fewer rows fails; 0 or less: none fails
    int stopAfter = 3;                    // `errnum`: failures before the stop question; 0 or less: never asked
    int topY = 834;                       // `styval`: first scan line of the digit search
    int leftX = 168;                      // `stxval`: left edge of the three alignment search windows
    int tableX = 237;                     // `xcell`: x of the table's left border on the reference layout
    int zoneX = 818;                      // `xzone`: x where the column of lot numbers begins on the reference layout

    // The run reads each setting at the step that needs it, so a field that holds
    // no whole number stops the run only where its value is first used (a bad
    // `doxnum` lets the first page be read and shown). `unreadable` holds the
    // conversion error of such a field; empty means the value above stands.
    std::array<std::string, std::size_t(Setting::Count)> unreadable{};

    // The value of `which`; throws SettingError with the stored text when its field held no whole number.
    int read(Setting which) const;
    void markUnreadable(Setting which, std::string message) { unreadable[std::size_t(which)] = std::move(message); }
};

// A settings text that is no whole number.
class SettingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Converts a settings text the way the window does: an optional sign and decimal
// digits, nothing else, within the range of int. Throws SettingError naming the text.
int parseWholeNumber(const std::string& text);

} // namespace rida::recognition
