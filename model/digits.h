#pragma once

#include <QString>

namespace rida::model {

// True when `text` holds at least one character that is not an ASCII digit
// "0".."9" (full-width digits, Hangul, spaces, signs and points all count);
// false otherwise, the empty text included.
bool ContainsNonDigit(const QString& text);

// The whole-number conversion of typed text. Leading blanks are read over and
// a sign is allowed; anything else, a blank after the digits included, throws
// ConversionError with the message "'<text>'은(는) 올바른 정수 값이 아닙니다".
int toInteger(const QString& text);

} // namespace rida::model
