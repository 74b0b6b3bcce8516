// Tests of the number conversions: every result is checked against the C
// library conversion it stands in for ("%lf", "%d", "%.7lg"), bit for bit.
#include "geometry/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <tuple>

namespace quillery {
namespace {

using namespace std::string_view_literals;

constexpr double kUntouched = 42.5;
constexpr int kUntouchedInt = 99;
constexpr ScanResult kV = ScanResult::kValue, kF = ScanResult::kFailed,
                     kE = ScanResult::kEmpty;

std::uint64_t bits(double value) { return std::bit_cast<std::uint64_t>(value); }

// Checks one text without NUL bytes against sscanf("%lf"): the result, and
// the value bits (untouched unless a number was read).
void expectScanDoubleLikeLibrary(const std::string& text) {
  double expected = kUntouched;
  const int count = std::sscanf(text.c_str(), "%lf", &expected);
  const ScanResult expectedResult = count == 1 ? kV : count == EOF ? kE : kF;
  double actual = kUntouched;
  ASSERT_EQ(scanDouble(text, 0, actual), expectedResult) << "'" << text << "'";
  ASSERT_EQ(bits(actual), bits(expected)) << "'" << text << "'";
}

void expectScanIntLikeLibrary(const std::string& text) {
  int expected = kUntouchedInt;
  const bool expectedRead = std::sscanf(text.c_str(), "%d", &expected) == 1;
  int actual = kUntouchedInt;
  ASSERT_EQ(scanInt(text, 0, actual), expectedRead) << "'" << text << "'";
  ASSERT_EQ(actual, expected) << "'" << text << "'";
}

// Integers are read as 64 bits that saturate (not wrap), then truncated.
TEST(NumberTextTest, ReadsOddTokensLikeTheLibrary) {
  const std::string tokens =
      "1e|1e+|0x1p3|0x.|0x|0xg|0xp1|inf|INFINITY|-Inf|infin|infinit|nan|-nan|"
      "nanx|nan(12)|-0|.|-.|+-1|+|-|1.5abc|+1|1e400|-1e400|1e-400|4.9e-324|"
      "2.4e-324|.5|5.|1e5x|1.7976931348623159e308|x|e5| \t 2.5|\t-3e2 7|"
      " \t\r\n\v\f|  -12abc|\t16 0 0|4294967300|4294967296 abc|2147483648|"
      "18446744073709551616|9223372036854775808|-9223372036854775809|"
      "-9223372036854775808|-2147483649|0x10|- 5||";
  for (std::size_t start = 0, bar; start < tokens.size(); start = bar + 1) {
    bar = tokens.find('|', start);
    expectScanDoubleLikeLibrary(tokens.substr(start, bar - start));
    expectScanIntLikeLibrary(tokens.substr(start, bar - start));
  }
}

TEST(NumberTextTest, NulEndsANumberButIsNotWhiteSpace) {
  const std::tuple<std::string_view, ScanResult, double, int> cases[] = {
      {"1\0005"sv, kV, 1, 1},
      {" -2.5\0e3"sv, kV, -2.5, -2},
      {"0x1\0p4"sv, kV, 1, 0},
      {"\0005"sv, kF, kUntouched, kUntouchedInt},
      {" \0"sv, kF, kUntouched, kUntouchedInt}};
  for (const auto& [text, result, number, whole] : cases) {
    SCOPED_TRACE(std::string(text));
    double value = kUntouched;
    EXPECT_EQ(scanDouble(text, 0, value), result);
    EXPECT_EQ(value, number);
    int integer = kUntouchedInt;
    EXPECT_EQ(scanInt(text, 0, integer), result == kV);
    EXPECT_EQ(integer, whole);
  }
}

TEST(NumberTextTest, ScanDoubleReadsOnlyTheTokenAtThePosition) {
  const std::string_view text = "1 -16.25 x";
  double value = kUntouched;
  EXPECT_EQ(scanDouble(text, 1, value), kV);
  EXPECT_EQ(value, -16.25);
  EXPECT_EQ(scanDouble(text, 8, value), kF);
  EXPECT_EQ(scanDouble(text, text.size(), value), kE);
  EXPECT_EQ(value, -16.25);
}

// Decimal tokens of every shape a hand-written or fast reader may get wrong:
// long digit strings near rounding ties, points without digits on one side,
// dangling or huge exponents, signs, trailing letters.
std::string randomDecimalToken(std::mt19937_64& rng) {
  auto below = [&rng](unsigned n) { return static_cast<unsigned>(rng() % n); };
  auto digits = [&](unsigned count) {
    std::string text;
    while (count-- > 0) text.push_back(static_cast<char>('0' + below(10)));
    return text;
  };
  const char* signs[] = {"", "", "-", "+"};
  std::string token;
  if (below(10) == 0) token += " \t"[below(2)];
  token += signs[below(4)];
  token += digits(below(4) == 0 ? below(40) : below(8));
  if (below(2) == 0) {
    token.push_back('.');
    token += digits(below(4) == 0 ? below(30) : below(8));
  }
  if (below(5) < 2) {
    token.push_back("eE"[below(2)]);
    token += signs[below(4)];
    token += digits(below(4));
  }
  if (below(10) == 0) token.push_back("x.e+-5"[below(6)]);
  return token;
}

TEST(NumberTextTest, ScanDoubleMatchesTheLibraryOnRandomDecimalTokens) {
  std::mt19937_64 rng(20240611);
  for (int k = 0; k < 100000 && !HasFatalFailure(); ++k) {
    expectScanDoubleLikeLibrary(randomDecimalToken(rng));
  }
}

TEST(NumberTextTest, ScanIntMatchesTheLibraryOnRandomTokens) {
  std::mt19937_64 rng(7);
  for (int k = 0; k < 100000 && !HasFatalFailure(); ++k) {
    std::string token(rng() % 3, ' ');
    token += "  -+"[rng() % 4];
    for (unsigned d = static_cast<unsigned>(rng() % 26); d > 0; --d) {
      // Mostly nines and zeros, so that the saturation limits are crossed.
      token.push_back("0123456789999990"[rng() % 16]);
    }
    if (rng() % 8 == 0) token.push_back("x-5 "[rng() % 4]);
    expectScanIntLikeLibrary(token);
  }
}

std::string libraryFormat(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.7lg", value);
  return buffer;
}

TEST(NumberTextTest, AppendNumberWritesPercentSevenLg) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::string text = "2";
  for (double value :
       {0.0, -0.0, -0.70710678118, 2.0 / 3, 0.0001, 0.00001, 12345678.0,
        1234567.0, 9999999.4, 9999999.5, 0.000099999996, 1e300, 5e-324,
        -1.234567e-16, inf, -inf, nan, -nan}) {
    EXPECT_EQ(formatNumber(value), libraryFormat(value))
        << std::hexfloat << value;
    text += ' ';
    appendNumber(text, value);
  }
  EXPECT_EQ(text,
            "2 0 -0 -0.7071068 0.6666667 0.0001 1e-05 1.234568e+07 1234567 "
            "9999999 1e+07 0.0001 1e+300 4.940656e-324 -1.234567e-16 inf -inf "
            "nan -nan");
}

TEST(NumberTextTest, AppendNumberMatchesTheLibraryOnRandomDoubles) {
  std::mt19937_64 rng(1234);
  for (int k = 0; k < 100000; ++k) {
    double value = 0;
    if (k % 4 == 0) {  // any bit pattern: subnormals, infinities, NaN payloads
      value = std::bit_cast<double>(rng());
    } else if (k % 4 == 1) {  // short decimals of every magnitude
      value = static_cast<double>(rng() % 100000000) *
              std::pow(10.0, static_cast<int>(rng() % 41) - 20);
    } else if (k % 4 == 2) {  // eight digits ending in 5: near 7-digit ties
      char text[48];
      std::snprintf(text, sizeof text, "%s%07llu5e%d", rng() % 2 ? "-" : "",
                    static_cast<unsigned long long>(rng() % 10000000),
                    static_cast<int>(rng() % 31) - 15);
      value = std::strtod(text, nullptr);
    } else {  // coordinates as the files hold them, after some arithmetic
      value = static_cast<double>(static_cast<std::int64_t>(rng() % 20001) -
                                  10000) /
              static_cast<double>(1 + rng() % 1000) * 0.7071067811865476;
    }
    ASSERT_EQ(formatNumber(value), libraryFormat(value))
        << std::hexfloat << value;
  }
}

TEST(NumberTextTest, AppendColorWritesTheNumberAndABlank) {
  std::string text = "1 ";
  for (int value : {0, 16, -1, INT_MAX, INT_MIN}) appendColor(text, value);
  EXPECT_EQ(text, "1 0 16 -1 2147483647 -2147483648 ");
}

}  // namespace
}  // namespace quillery
