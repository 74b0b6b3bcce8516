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

namespace quillery {
namespace {

using namespace std::string_view_literals;

constexpr double kUntouched = 42.5;
constexpr int kUntouchedInt = 99;

std::uint64_t bitsOf(double value) {
  return std::bit_cast<std::uint64_t>(value);
}

std::string hexBits(double value) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%016llx",
                static_cast<unsigned long long>(bitsOf(value)));
  return buffer;
}

ScanResult libraryScanDouble(const std::string& text, double& value) {
  int count = std::sscanf(text.c_str(), "%lf", &value);
  if (count == 1) return ScanResult::kValue;
  return count == EOF ? ScanResult::kEmpty : ScanResult::kFailed;
}

// Checks one text without NUL bytes against sscanf("%lf").
void expectScanDoubleLikeLibrary(const std::string& text) {
  double expected = kUntouched;
  ScanResult expectedResult = libraryScanDouble(text, expected);
  double actual = kUntouched;
  ScanResult actualResult = scanDouble(text, 0, actual);
  ASSERT_EQ(actualResult, expectedResult) << "text '" << text << "'";
  ASSERT_EQ(hexBits(actual), hexBits(expected)) << "text '" << text << "'";
}

TEST(NumberTextTest, ScanDoubleReadsOddTokensLikeTheLibrary) {
  struct Case {
    const char* text;
    ScanResult result;
  };
  const Case cases[] = {
      {"1e", ScanResult::kValue},
      {"1e+", ScanResult::kValue},
      {"0x1p3", ScanResult::kValue},
      {"0x.", ScanResult::kValue},
      {"0x", ScanResult::kFailed},
      {"0xg", ScanResult::kFailed},
      {"0xp1", ScanResult::kFailed},
      {"inf", ScanResult::kValue},
      {"INFINITY", ScanResult::kValue},
      {"-Inf", ScanResult::kValue},
      {"infin", ScanResult::kFailed},
      {"infinit", ScanResult::kFailed},
      {"nan", ScanResult::kValue},
      {"-nan", ScanResult::kValue},
      {"nanx", ScanResult::kValue},
      {"nan(12)", ScanResult::kValue},
      {"-0", ScanResult::kValue},
      {".", ScanResult::kFailed},
      {"-.", ScanResult::kFailed},
      {"+-1", ScanResult::kFailed},
      {"+", ScanResult::kFailed},
      {"-", ScanResult::kFailed},
      {"1.5abc", ScanResult::kValue},
      {"+1", ScanResult::kValue},
      {"1e400", ScanResult::kValue},
      {"-1e400", ScanResult::kValue},
      {"1e-400", ScanResult::kValue},
      {"4.9e-324", ScanResult::kValue},
      {"2.4e-324", ScanResult::kValue},
      {".5", ScanResult::kValue},
      {"5.", ScanResult::kValue},
      {"1e5x", ScanResult::kValue},
      {"1.7976931348623159e308", ScanResult::kValue},
      {"x", ScanResult::kFailed},
      {"e5", ScanResult::kFailed},
      {" \t 2.5", ScanResult::kValue},
      {"\t-3e2 7", ScanResult::kValue},
      {"", ScanResult::kEmpty},
      {" \t\r\n\v\f", ScanResult::kEmpty},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    double value = kUntouched;
    EXPECT_EQ(scanDouble(c.text, 0, value), c.result);
    if (c.result != ScanResult::kValue) {
      EXPECT_EQ(bitsOf(value), bitsOf(kUntouched));
    }
    expectScanDoubleLikeLibrary(c.text);
  }
}

TEST(NumberTextTest, ScanDoubleTreatsNulAsTheEndOfANumber) {
  struct Case {
    std::string_view text;
    ScanResult result;
    double value;
  };
  const Case cases[] = {
      {"1\0"
       "5"sv,
       ScanResult::kValue, 1},
      {" -2.5\0"
       "e3"sv,
       ScanResult::kValue, -2.5},
      {"0x1\0"
       "p4"sv,
       ScanResult::kValue, 1},
      // A NUL is not white space: the text is not exhausted.
      {"\0"
       "5"sv,
       ScanResult::kFailed, kUntouched},
      {" \0"sv, ScanResult::kFailed, kUntouched},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    double value = kUntouched;
    EXPECT_EQ(scanDouble(c.text, 0, value), c.result);
    EXPECT_EQ(value, c.value);
  }
}

TEST(NumberTextTest, ScanDoubleReadsOnlyTheTokenAtThePosition) {
  const std::string_view text = "1 -16.25 x";
  double value = kUntouched;
  EXPECT_EQ(scanDouble(text, 1, value), ScanResult::kValue);
  EXPECT_EQ(value, -16.25);
  EXPECT_EQ(scanDouble(text, 8, value), ScanResult::kFailed);
  EXPECT_EQ(value, -16.25);
  EXPECT_EQ(scanDouble(text, text.size(), value), ScanResult::kEmpty);
  EXPECT_EQ(value, -16.25);
}

// Decimal tokens of every shape a hand-written or fast reader may get wrong:
// long digit strings near rounding ties, points without digits on one side,
// dangling or huge exponents, signs, trailing letters.
std::string randomDecimalToken(std::mt19937_64& rng) {
  auto below = [&rng](unsigned n) { return static_cast<unsigned>(rng() % n); };
  auto digits = [&](unsigned count) {
    std::string text;
    for (unsigned k = 0; k < count; ++k) {
      text.push_back(static_cast<char>('0' + below(10)));
    }
    return text;
  };
  std::string token;
  if (below(10) == 0) token += " \t"[below(2)];
  const char* signs[] = {"", "", "-", "+"};
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
  for (int k = 0; k < 200000; ++k) {
    expectScanDoubleLikeLibrary(randomDecimalToken(rng));
    if (::testing::Test::HasFatalFailure()) return;
  }
}

TEST(NumberTextTest, ScanIntFollowsPercentD) {
  struct Case {
    std::string_view text;
    bool read;
    int value;
  };
  const Case cases[] = {
      {"  -12abc", true, -12},
      {"+7", true, 7},
      {"\t16 0 0", true, 16},
      {"4294967300", true, 4},
      {"4294967296 abc", true, 0},
      {"2147483648", true, INT_MIN},
      {"18446744073709551616", true, -1},
      // Saturation at the 64-bit limits, not wrap-around.
      {"9223372036854775808", true, -1},
      {"-9223372036854775809", true, 0},
      {"-9223372036854775808", true, 0},
      {"-2147483649", true, INT_MAX},
      {"0x10", true, 0},
      {"1\0"
       "5"sv,
       true, 1},
      {"x", false, kUntouchedInt},
      {"-", false, kUntouchedInt},
      {"+-1", false, kUntouchedInt},
      {"- 5", false, kUntouchedInt},
      {"\0"
       "5"sv,
       false, kUntouchedInt},
      {"", false, kUntouchedInt},
      {"   ", false, kUntouchedInt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    int value = kUntouchedInt;
    EXPECT_EQ(scanInt(c.text, 0, value), c.read);
    EXPECT_EQ(value, c.value);
  }
}

TEST(NumberTextTest, ScanIntMatchesTheLibraryOnRandomTokens) {
  std::mt19937_64 rng(7);
  for (int k = 0; k < 100000; ++k) {
    std::string token(rng() % 3, ' ');
    token += "  -+"[rng() % 4];
    unsigned count = static_cast<unsigned>(rng() % 26);
    for (unsigned d = 0; d < count; ++d) {
      // Mostly nines and zeros, so that the saturation limits are crossed.
      token.push_back("0123456789999990"[rng() % 16]);
    }
    if (rng() % 8 == 0) token.push_back("x-5 "[rng() % 4]);
    int expected = kUntouchedInt;
    bool expectedRead = std::sscanf(token.c_str(), "%d", &expected) == 1;
    int actual = kUntouchedInt;
    bool actualRead = scanInt(token, 0, actual);
    ASSERT_EQ(actualRead, expectedRead) << "text '" << token << "'";
    ASSERT_EQ(actual, expected) << "text '" << token << "'";
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
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {0, "0"},
      {-0.0, "-0"},
      {1.5, "1.5"},
      {10, "10"},
      {-0.70710678118, "-0.7071068"},
      {2.0 / 3, "0.6666667"},
      {0.0001, "0.0001"},
      {0.00001, "1e-05"},
      {12345678, "1.234568e+07"},
      {1234567, "1234567"},
      {9999999.4, "9999999"},
      {9999999.5, "1e+07"},
      {0.000099999996, "0.0001"},
      {-1.234567e-16, "-1.234567e-16"},
      {1e300, "1e+300"},
      {5e-324, "4.940656e-324"},
      {inf, "inf"},
      {-inf, "-inf"},
      {nan, "nan"},
      {-nan, "-nan"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(formatNumber(c.value), c.text);
    EXPECT_EQ(formatNumber(c.value), libraryFormat(c.value));
  }
}

TEST(NumberTextTest, AppendNumberAddsToTheText) {
  std::string text = "2 24 ";
  appendNumber(text, -0.5);
  EXPECT_EQ(text, "2 24 -0.5");
}

TEST(NumberTextTest, AppendNumberMatchesTheLibraryOnRandomDoubles) {
  std::mt19937_64 rng(1234);
  for (int k = 0; k < 100000; ++k) {
    double value = 0;
    switch (k % 4) {
      case 0:  // any bit pattern: subnormals, infinities, NaN payloads
        value = std::bit_cast<double>(rng());
        break;
      case 1:  // short decimals of every magnitude
        value = static_cast<double>(rng() % 100000000) *
                std::pow(10.0, static_cast<int>(rng() % 41) - 20);
        break;
      case 2: {  // eight significant digits ending in 5: near 7-digit ties
        char text[48];
        std::snprintf(text, sizeof text, "%s%07llu5e%d", rng() % 2 ? "-" : "",
                      static_cast<unsigned long long>(rng() % 10000000),
                      static_cast<int>(rng() % 31) - 15);
        value = std::strtod(text, nullptr);
        break;
      }
      default:  // coordinates as the files hold them, after some arithmetic
        value = static_cast<double>(static_cast<std::int64_t>(rng() % 20001) -
                                    10000) /
                static_cast<double>(1 + rng() % 1000) * 0.7071067811865476;
        break;
    }
    ASSERT_EQ(formatNumber(value), libraryFormat(value))
        << "bits " << hexBits(value);
  }
}

TEST(NumberTextTest, AppendColorWritesTheNumberAndABlank) {
  struct Case {
    int value;
    const char* text;
  };
  const Case cases[] = {
      {0, "0 "},
      {16, "16 "},
      {24, "24 "},
      {-1, "-1 "},
      {INT_MAX, "2147483647 "},
      {INT_MIN, "-2147483648 "},
  };
  for (const Case& c : cases) {
    std::string text = "1 ";
    appendColor(text, c.value);
    EXPECT_EQ(text, std::string("1 ") + c.text);
  }
}

}  // namespace
}  // namespace quillery
