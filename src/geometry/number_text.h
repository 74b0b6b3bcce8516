// Reading and writing numbers in LDraw text: the "%lf", "%d" and "%.7lg"
// conversions of the C library, with fast paths that give the same results.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillery {

// White space as the C library's isspace decides in the "C" locale: blank,
// tab, line feed, vertical tab, form feed, carriage return. A NUL is not.
constexpr bool isSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Position of the first character at or after `pos` that is not white space
// (or the end of the text).
std::size_t skipSpace(std::string_view text, std::size_t pos);

// Position of the first white space character at or after `pos` (or the end
// of the text): skips the token that starts at `pos`.
std::size_t skipToken(std::string_view text, std::size_t pos);

// Outcome of one numeric conversion.
enum class ScanResult {
  kValue,   // a number was read into the output
  kEmpty,   // only white space (or nothing) was left; the output is untouched
  kFailed,  // the token is not a number; the output is untouched
};

// Converts the text at `pos` as sscanf("%lf") does: leading white space is
// skipped, then the longest prefix of the token that forms a number is read.
[[nodiscard]] ScanResult scanDouble(std::string_view text, std::size_t pos,
                                    double& value);

// scanDouble, which then moves `pos` past the whole token, whatever part of
// it the conversion took (to the end of the text when only white space was
// left). `pos` stays where it was when the token is not a number.
[[nodiscard]] ScanResult scanDoubleToken(std::string_view text,
                                         std::size_t& pos, double& value);

// Converts the text at `pos` as sscanf("%d") does: leading white space, an
// optional sign and decimal digits, read as a 64-bit integer that saturates
// and is then truncated to 32 bits. Returns false (value untouched) when no
// integer starts there.
[[nodiscard]] bool scanInt(std::string_view text, std::size_t pos, int& value);

// Appends `value` formatted as printf("%.7lg") does.
void appendNumber(std::string& out, double value);

// `value` formatted as printf("%.7lg") does.
std::string formatNumber(double value);

// Appends `value` formatted as printf("%d ") does (the number and one blank).
void appendColor(std::string& out, int value);

// Reads a hexadecimal colour token at `pos` (after leading white space):
// "0x" or "0X" and one or more hexadecimal digits, up to white space or the
// end of the text. The value is the number read as strtol with base 16 does
// (saturating at 2^63 - 1), then its low 32 bits. Returns false (value
// untouched) when the token has any other form.
[[nodiscard]] bool scanHexColor(std::string_view text, std::size_t pos,
                                int& value);

// Appends `value` as "0x" and the upper-case hexadecimal digits of its 32
// bits, at least seven, followed by one blank.
void appendHexColor(std::string& out, int value);

}  // namespace quillery
