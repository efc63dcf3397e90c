// The formatting that FormatMessageW applies to a message text (no line-width limit, inserts
// from an array of strings, or ignored):
//   %1 .. %99         insert n; a second digit always belongs to the number ("%100" is %10, "0")
//   %n!format!        insert n through a printf-style format, see below
//   %0                ends the message here (no line break after it)
//   %n  %r  %t        CR LF, CR, tab
//   %%  %.  %!  %<c>  the character after the percent sign
//   CR, LF, CR LF     each becomes CR LF, as Windows writes line breaks of message texts
// With inserts ignored, inserts and the %%-style escapes are copied as they stand while %0, %n,
// %r, %t and the line breaks are still processed, as FormatMessageW does.
//
// Formats for the string inserts of event records: flags "-" (left-justify), "0", "+", " ", "#"
// (accepted, without effect on text), a width and a precision, either of which may be "*" (taken
// from the next insert as a decimal number, counted as FormatMessageW counts array arguments).
// The conversion is read from the format: s, S, ls, ws, hs insert the text (the precision caps
// its length); c, C, lc, wc, hc insert its first character; every numeric conversion (d, u, x,
// I64x ...) inserts the text as it stands, since an insertion string already is the number's text
// where Windows would print the string's address.
#pragma once

#include <optional>
#include <vector>

#include "base/text.h"

namespace veltrano {

// Longest result: FormatMessageW's 64 KiB output limit. Longer results are cut there.
constexpr size_t kMaxFormattedMessage = 32767;

// nullopt where FormatMessageW fails: an empty result, or a "%" at the very end. With inserts,
// a marker whose insert is not in arguments stays as written.
std::optional<Text> FormatMessageText(TextView message, const std::vector<Text>* arguments);

}  // namespace veltrano
