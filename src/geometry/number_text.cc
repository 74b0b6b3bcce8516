// Number conversions. The fast paths (std::from_chars, std::to_chars and a
// hand-written integer reader) are used only where they are known to give the
// C library's exact result; every other token goes to the C library itself.
#include "geometry/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <system_error>

namespace quillery {

std::size_t skipSpace(std::string_view text, std::size_t pos) {
  while (pos < text.size() && isSpace(text[pos])) ++pos;
  return pos;
}

std::size_t skipToken(std::string_view text, std::size_t pos) {
  while (pos < text.size() && !isSpace(text[pos])) ++pos;
  return pos;
}

namespace {

constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A plain decimal token ([-]digits[.digits][e[sign]digits]) that from_chars
// reads whole is converted exactly as strtod converts it: both round
// correctly. Anything else (a '+' sign, hexadecimal, inf, nan, trailing
// letters, a dangling exponent, overflow) goes to sscanf.
bool fastDouble(std::string_view token, double& value) {
  std::size_t i = token[0] == '-' ? 1 : 0;
  if (i >= token.size()) return false;
  char first = token[i];
  if (!isDigit(first) && first != '.') return false;
  double parsed = 0;
  auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(),
                                   parsed, std::chars_format::general);
  if (ec != std::errc() || end != token.data() + token.size()) return false;
  value = parsed;
  return true;
}

}  // namespace

ScanResult scanDouble(std::string_view text, std::size_t pos, double& value) {
  pos = skipSpace(text, pos);
  if (pos >= text.size()) return ScanResult::kEmpty;
  std::size_t end = skipToken(text, pos);
  std::string_view token = text.substr(pos, end - pos);
  if (fastDouble(token, value)) return ScanResult::kValue;
  // A NUL ends a number like any other character that is not part of one,
  // so the C string handed to sscanf may stop there.
  std::string copy(token.substr(0, token.find('\0')));
  double parsed = 0;
  if (std::sscanf(copy.c_str(), "%lf", &parsed) != 1) {
    return ScanResult::kFailed;
  }
  value = parsed;
  return ScanResult::kValue;
}

bool scanInt(std::string_view text, std::size_t pos, int& value) {
  pos = skipSpace(text, pos);
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  if (pos >= text.size() || !isDigit(text[pos])) return false;
  // Accumulate the magnitude, saturating at the 64-bit limit the way strtol
  // does, then keep the low 32 bits as the conversion to int does.
  constexpr std::uint64_t kPositiveLimit =
      static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  const std::uint64_t limit = negative ? kPositiveLimit + 1 : kPositiveLimit;
  std::uint64_t magnitude = 0;
  bool saturated = false;
  for (; pos < text.size() && isDigit(text[pos]); ++pos) {
    if (saturated) continue;
    std::uint64_t digit = static_cast<std::uint64_t>(text[pos] - '0');
    if (magnitude > (limit - digit) / 10) {
      saturated = true;
      magnitude = limit;
    } else {
      magnitude = magnitude * 10 + digit;
    }
  }
  std::uint64_t bits = negative ? (~magnitude + 1) : magnitude;
  value = static_cast<int>(static_cast<std::uint32_t>(bits));
  return true;
}

namespace {

// "%.7lg" from the shortest decimal that reads back as `value`, when that
// has at most seven significant digits: a normal double then lies so close to
// that decimal that rounding it to seven digits gives the same digits.
// Returns false when the shortest form is longer.
bool appendShortNumber(std::string& out, double value) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                 std::chars_format::scientific);
  if (ec != std::errc()) return false;
  const char* p = buffer;
  bool negative = *p == '-';
  if (negative) ++p;
  char digits[32];
  int count = 0;
  for (; p < end && *p != 'e'; ++p) {
    if (*p == '.') continue;
    if (count == 7) return false;
    digits[count++] = *p;
  }
  int exponent = 0;
  const char* exponentText = p + 1;
  if (*exponentText == '+') ++exponentText;
  std::from_chars(exponentText, end, exponent);
  if (negative) out.push_back('-');
  if (exponent < -4 || exponent >= 7) {
    out.push_back(digits[0]);
    if (count > 1) {
      out.push_back('.');
      out.append(digits + 1, static_cast<std::size_t>(count - 1));
    }
    out.push_back('e');
    out.push_back(exponent < 0 ? '-' : '+');
    int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 10) out.push_back('0');
    char exponentDigits[8];
    auto [exponentEnd, unused] =
        std::to_chars(exponentDigits, exponentDigits + 8, magnitude);
    (void)unused;
    out.append(exponentDigits, exponentEnd);
  } else if (exponent < 0) {
    out.append("0.");
    out.append(static_cast<std::size_t>(-exponent - 1), '0');
    out.append(digits, static_cast<std::size_t>(count));
  } else {
    int integerDigits = exponent + 1;
    for (int k = 0; k < integerDigits; ++k) {
      out.push_back(k < count ? digits[k] : '0');
    }
    if (count > integerDigits) {
      out.push_back('.');
      out.append(digits + integerDigits,
                 static_cast<std::size_t>(count - integerDigits));
    }
  }
  return true;
}

}  // namespace

void appendNumber(std::string& out, double value) {
  char buffer[64];
  if (std::isfinite(value)) {
    // Whole numbers are the most common coordinates of all.
    if (value == std::trunc(value) && std::fabs(value) < 1e7) {
      if (value == 0) {
        out.append(std::signbit(value) ? "-0" : "0");
        return;
      }
      auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer,
                                     static_cast<long long>(value));
      (void)ec;
      out.append(buffer, end);
      return;
    }
    if (std::isnormal(value) && appendShortNumber(out, value)) return;
    // to_chars with a precision is specified to match printf's "%.*g".
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                   std::chars_format::general, 7);
    if (ec == std::errc()) {
      out.append(buffer, end);
      return;
    }
  }
  int length = std::snprintf(buffer, sizeof buffer, "%.7lg", value);
  out.append(buffer, static_cast<std::size_t>(length));
}

std::string formatNumber(double value) {
  std::string text;
  appendNumber(text, value);
  return text;
}

void appendColor(std::string& out, int value) {
  char buffer[16];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)ec;
  out.append(buffer, end);
  out.push_back(' ');
}

bool scanHexColor(std::string_view text, std::size_t pos, int& value) {
  pos = skipSpace(text, pos);
  // At least one digit must follow the prefix.
  if (pos + 2 >= text.size() || text[pos] != '0' ||
      (text[pos + 1] != 'x' && text[pos + 1] != 'X') || isSpace(text[pos + 2])) {
    return false;
  }
  constexpr std::uint64_t kLimit =
      static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  std::uint64_t number = 0;
  for (pos += 2; pos < text.size() && !isSpace(text[pos]); ++pos) {
    char c = text[pos];
    std::uint64_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<std::uint64_t>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<std::uint64_t>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<std::uint64_t>(c - 'A' + 10);
    } else {
      return false;
    }
    number = number > (kLimit - digit) / 16 ? kLimit : number * 16 + digit;
  }
  value = static_cast<int>(static_cast<std::uint32_t>(number));
  return true;
}

void appendHexColor(std::string& out, int value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  auto bits = static_cast<std::uint32_t>(value);
  char buffer[8];
  int length = 0;
  do {
    buffer[length++] = kDigits[bits & 0xF];
    bits >>= 4;
  } while (bits != 0);
  out.append("0x");
  out.append(static_cast<std::size_t>(length < 7 ? 7 - length : 0), '0');
  while (length > 0) out.push_back(buffer[--length]);
  out.push_back(' ');
}

}  // namespace quillery
