// Number conversions. They give the exact bytes of the GNU C library's
// conversions on every host without calling any C library: the token forms
// are matched here, and the correctly rounded conversions between binary and
// decimal are std::from_chars and std::to_chars, which the C++ library
// implements itself.
#include "geometry/number_text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
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

constexpr bool isHexDigit(char c) {
  return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

constexpr char lowerCase(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when the text at `p` starts with `word` (lower case), ignoring the
// case of ASCII letters.
bool startsWithWord(const char* p, const char* end, std::string_view word) {
  if (static_cast<std::size_t>(end - p) < word.size()) return false;
  for (char letter : word) {
    if (lowerCase(*p++) != letter) return false;
  }
  return true;
}

// The digits of a number and where they end. `digitsEnd` is the end of the
// mantissa, `end` the end of the exponent when it has digits (otherwise the
// same as `digitsEnd`: a marker without digits is consumed and ignored).
struct NumberExtent {
  const char* end = nullptr;
  bool hasDigit = false;
  // About the power of the exponent's base of the first significant digit,
  // saturated: positive for values far above 1, negative far below. Only its
  // sign is used, to tell an overflow from an underflow.
  long long magnitude = 0;
};

// Scans [digits][.digits][marker[sign]digits] at `p`, with hexadecimal
// mantissa digits when `hex`. The exponent is only taken after a mantissa
// digit.
NumberExtent scanExtent(const char* p, const char* end, bool hex,
                        char marker) {
  constexpr long long kLimit = 1LL << 40;
  NumberExtent extent;
  long long leading = 0;  // Digits before the point, after leading zeros.
  long long zerosAfterPoint = 0;
  bool significant = false;
  bool point = false;
  for (; p < end; ++p) {
    const char c = *p;
    if (hex ? isHexDigit(c) : isDigit(c)) {
      extent.hasDigit = true;
      if (c != '0') significant = true;
      if (!point) {
        if (significant && leading < kLimit) ++leading;
      } else if (!significant && zerosAfterPoint < kLimit) {
        ++zerosAfterPoint;
      }
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  extent.end = p;
  long long exponent = 0;
  if (extent.hasDigit && p < end && lowerCase(*p) == marker) {
    const char* q = p + 1;
    bool negative = false;
    if (q < end && (*q == '+' || *q == '-')) negative = *q++ == '-';
    if (q < end && isDigit(*q)) {
      for (; q < end && isDigit(*q); ++q) {
        if (exponent < kLimit) exponent = exponent * 10 + (*q - '0');
      }
      if (negative) exponent = -exponent;
      extent.end = q;
    }
  }
  // A hexadecimal digit stands for four binary places of the exponent.
  extent.magnitude =
      (leading > 0 ? leading : -zerosAfterPoint) * (hex ? 4 : 1) + exponent;
  return extent;
}

// Converts the unsigned number text [p, extent.end) with from_chars, which
// rounds correctly without the C library. A result too large for a double
// is infinite and one too small is zero, as strtod gives them.
double convertExtent(const char* p, const NumberExtent& extent,
                     std::chars_format format) {
  double parsed = 0;
  auto [stop, ec] = std::from_chars(p, extent.end, parsed, format);
  (void)stop;
  if (ec == std::errc::result_out_of_range) {
    return extent.magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return parsed;
}

// Short decimals without an exponent, the usual coordinates, read in the
// same pass that finds their end: when the digits form an integer below
// 2^53 and at most 22 of them follow the point, that integer and the power
// of ten are exact doubles, so their quotient is the correctly rounded value
// of the text, which is what the general conversion gives. False, with
// nothing read, leaves the text to the general conversion: no digit, an
// exponent marker, or more digits than that. `stop` receives the end of
// what was read.
bool readShortDecimal(const char* p, const char* end, double& magnitude,
                      const char*& stop) {
  constexpr std::uint64_t kExactLimit = std::uint64_t{1} << 53;
  static constexpr double kPowersOfTen[] = {
      1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  std::uint64_t digits = 0;
  int afterPoint = 0;
  bool point = false;
  bool anyDigit = false;
  for (; p < end; ++p) {
    if (isDigit(*p)) {
      anyDigit = true;
      digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
      if (digits >= kExactLimit) return false;
      if (point && ++afterPoint > 22) return false;
    } else if (*p == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!anyDigit || (p < end && lowerCase(*p) == 'e')) return false;
  magnitude = static_cast<double>(digits) / kPowersOfTen[afterPoint];
  stop = p;
  return true;
}

// scanDouble, which also sets `stop` to a position in the token read, at
// or after its start: the end of the number where that costs nothing to
// know, otherwise its start.
ScanResult scanNumber(std::string_view text, std::size_t pos, double& value,
                      std::size_t& stop) {
  pos = skipSpace(text, pos);
  stop = pos;
  if (pos >= text.size()) return ScanResult::kEmpty;
  const char* p = text.data() + pos;
  const char* const end = text.data() + text.size();
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p++ == '-';
    if (p == end) return ScanResult::kFailed;
  }
  double magnitude = 0;
  const char* shortEnd = nullptr;
  const char first = lowerCase(*p);
  if (first == 'n') {
    if (!startsWithWord(p, end, "nan")) return ScanResult::kFailed;
    // The C library's quiet NaN, with the sign written before it.
    value = std::bit_cast<double>(negative ? 0xfff8000000000000ULL
                                           : 0x7ff8000000000000ULL);
    return ScanResult::kValue;
  }
  if (first == 'i') {
    if (!startsWithWord(p, end, "inf")) return ScanResult::kFailed;
    p += 3;
    // Once an 'i' follows "inf", only the whole word "infinity" will do.
    if (p < end && lowerCase(*p) == 'i' && !startsWithWord(p, end, "inity")) {
      return ScanResult::kFailed;
    }
    magnitude = std::numeric_limits<double>::infinity();
  } else if (*p == '0' && end - p >= 2 && lowerCase(p[1]) == 'x') {
    p += 2;
    const NumberExtent extent = scanExtent(p, end, true, 'p');
    if (extent.hasDigit) {
      magnitude = convertExtent(p, extent, std::chars_format::hex);
    } else if (extent.end == p) {
      return ScanResult::kFailed;  // "0x" alone: no digit and no point.
    }
    // "0x." reads as the zero before the 'x'.
  } else if (readShortDecimal(p, end, magnitude, shortEnd)) {
    stop = static_cast<std::size_t>(shortEnd - text.data());
  } else {
    const NumberExtent extent = scanExtent(p, end, false, 'e');
    if (!extent.hasDigit) return ScanResult::kFailed;
    magnitude = convertExtent(p, extent, std::chars_format::general);
  }
  value = negative ? -magnitude : magnitude;
  return ScanResult::kValue;
}

}  // namespace

// The token is matched character by character as the C library's scanf
// "%lf" does, which differs from strtod where scanf cannot step back: a
// partial "infinity" or a "0x" prefix without digits fails the conversion,
// where strtod would read "inf" or "0". The value of what was matched is
// then what strtod makes of it.
ScanResult scanDouble(std::string_view text, std::size_t pos, double& value) {
  std::size_t stop;
  return scanNumber(text, pos, value, stop);
}

ScanResult scanDoubleToken(std::string_view text, std::size_t& pos,
                           double& value) {
  std::size_t stop;
  const ScanResult result = scanNumber(text, pos, value, stop);
  if (result != ScanResult::kFailed) pos = skipToken(text, stop);
  return result;
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

// Appends the characters from `first` up to `last`. Given the length, the
// string appends them at once; given two pointers, it takes its general
// replacement path, several times slower for a number's few characters.
void appendRange(std::string& out, const char* first, const char* last) {
  out.append(first, static_cast<std::size_t>(last - first));
}

// "%.7lg" of a number with at most three decimals and seven significant
// digits, the usual coordinates, without the general conversion. When the
// decimal m / 1000 reads back as `value`, `value` lies within half a unit
// in its last binary place of that decimal, far closer than half a unit of
// the seventh digit: rounding `value` to seven digits gives the decimal
// itself, written in fixed notation since it is at least 0.001 and below
// 10^7. Returns false when `value` is no such number.
bool appendThousandths(std::string& out, double value) {
  const double scaled = value * 1000;
  if (!(std::fabs(scaled) < 1e12)) return false;
  long long m = static_cast<long long>(scaled < 0 ? scaled - 0.5 : scaled + 0.5);
  if (m == 0 || static_cast<double>(m) / 1000 != value) return false;
  int decimals = 3;
  while (decimals > 0 && m % 10 == 0) {
    m /= 10;
    --decimals;
  }
  const bool negative = m < 0;
  unsigned long long digits = static_cast<unsigned long long>(negative ? -m : m);
  if (digits >= 10000000) return false;  // more than seven digits
  // Written from the last digit backwards: at most a sign, seven digits, a
  // zero before the point and the point.
  char buffer[16];
  char* const bufferEnd = buffer + sizeof buffer;
  char* first = bufferEnd;
  for (int place = 0; digits != 0 || place <= decimals; ++place) {
    if (place == decimals && decimals > 0) *--first = '.';
    *--first = static_cast<char>('0' + digits % 10);
    digits /= 10;
  }
  if (negative) *--first = '-';
  appendRange(out, first, bufferEnd);
  return true;
}

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
    appendRange(out, exponentDigits, exponentEnd);
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
  if (value == 0) {
    out.append(std::signbit(value) ? "-0" : "0");
    return;
  }
  // Whole numbers are the most common coordinates of all, then numbers of a
  // few decimals.
  if (value == std::trunc(value) && std::fabs(value) < 1e7) {
    char digits[16];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits,
                                   static_cast<long long>(value));
    (void)ec;
    appendRange(out, digits, end);
    return;
  }
  if (appendThousandths(out, value)) return;
  if (std::isnan(value)) {
    out.append(std::signbit(value) ? "-nan" : "nan");
    return;
  }
  if (std::isinf(value)) {
    out.append(value < 0 ? "-inf" : "inf");
    return;
  }
  if (std::isnormal(value) && appendShortNumber(out, value)) return;
  // to_chars with a precision gives printf's "%.*g" text exactly, and
  // 64 characters hold every double at seven digits.
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                 std::chars_format::general, 7);
  (void)ec;
  appendRange(out, buffer, end);
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
  appendRange(out, buffer, end);
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
