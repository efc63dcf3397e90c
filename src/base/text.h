// UTF-16 text helpers shared by every portable part of the program: conversions,
// capacity-limited copies, trimming and the line splitting the report and message parsers use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace veltrano {

using Text = std::u16string;
using TextView = std::u16string_view;

// Characters that trimming removes (the C runtime's iswspace set for ASCII).
bool IsBlank(char16_t c);

TextView Trim(TextView text);

// A copy holding at most capacity - 1 characters: the program's fixed-capacity fields.
Text CopyCapped(TextView text, size_t capacity);

// Appends as much of tail as fits into a field of the given capacity.
void AppendCapped(Text& field, TextView tail, size_t capacity);

// Cuts text at every run of CR/LF, trims each part and stops at the first part that is empty
// after trimming (or at the end of the text).
std::vector<TextView> SplitLines(TextView text);

bool StartsWith(TextView text, TextView prefix);

// The text without its byte-order marks (U+FEFF): report files begin with one, and a detail text
// that joins a report carries it in its middle.
Text WithoutByteOrderMarks(TextView text);

// Letter-case folding as Windows compares file and registry names (to capitals): ASCII, Latin-1,
// Latin Extended-A, Greek and Cyrillic letters; other characters compare as they are.
char16_t FoldCase(char16_t c);
bool EqualsNoCase(TextView a, TextView b);
bool EndsWithNoCase(TextView text, TextView suffix);
// The text with each unit folded, for keys that ignore letter case.
Text Folded(TextView text);

// Conversions for texts. Invalid UTF-8 becomes U+FFFD; unpaired surrogates become U+FFFD in UTF-8,
// so what goes out is always well-formed.
Text Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(TextView text);

// Conversions for the host's paths, which are bytes that need not be UTF-8 (a Linux mount shows an
// NTFS name with an unpaired surrogate so): each byte that is not part of well-formed UTF-8
// becomes the lone surrogate U+DC80 + byte and turns back into that byte, so every name the host
// lists can be opened again. Only paths take this road: texts for output use the two above.
Text Utf8PathToUtf16(std::string_view path);
std::string Utf16PathToUtf8(TextView path);

// Walking UTF-16 by code points. A surrogate pair is one code point; a surrogate without its
// partner comes out as the unit itself with lone set, and each caller decides what it stands for
// (U+FFFD, an escape, a byte of a host path).
bool IsHighSurrogate(char16_t unit);
bool IsLowSurrogate(char16_t unit);
bool IsSurrogate(char16_t unit);

struct CodePoint {
    char32_t value = 0;
    size_t offset = 0;  // where it starts, in units
    size_t units = 1;   // 1, or 2 for a pair
    bool lone = false;  // an unpaired surrogate
};

// The code point that starts at text[offset] (offset < text.size()).
CodePoint CodePointAt(TextView text, size_t offset);

class CodePoints {
  public:
    explicit CodePoints(TextView text) : text_(text) {}
    class Iterator {
      public:
        Iterator(TextView text, size_t offset) : text_(text), offset_(offset) {}
        CodePoint operator*() const { return CodePointAt(text_, offset_); }
        Iterator& operator++() {
            offset_ += CodePointAt(text_, offset_).units;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return offset_ != other.offset_; }

      private:
        TextView text_;
        size_t offset_;
    };
    Iterator begin() const { return {text_, 0}; }
    Iterator end() const { return {text_, text_.size()}; }

  private:
    TextView text_;
};

// The UTF-8 form of one code point (at most U+10FFFF), surrogates included as they are.
void AppendUtf8(std::string& out, char32_t codePoint);

// ASCII-only literal helper for texts built from narrow constants.
Text Ascii(std::string_view ascii);

Text DecimalText(int64_t value);
Text UnsignedText(uint64_t value);

// printf-style formatting restricted to "%s" (and "%%"): the n-th "%s" takes args[n];
// a "%s" without an argument gives nothing.
Text FormatStrings(TextView format, const std::vector<Text>& args);

// Reads leading decimal digits after leading blanks (strtoull semantics without a sign); 0 when
// none, the largest value when they overflow.
uint64_t ParseUnsignedDecimal(TextView text);

// The value of a hexadecimal digit of either case; -1 for any other character.
int HexDigitValue(char16_t c);

// Reads a hexadecimal number like the C "%x" conversion: leading blanks, an optional sign, an
// optional "0x", digits of either case; a minus negates in unsigned arithmetic. Returns false
// when no digit was read. Wraps like the C runtime.
bool ParseHex(TextView text, uint32_t& value);

}  // namespace veltrano
