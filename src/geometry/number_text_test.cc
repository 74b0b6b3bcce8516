// Tests of the number conversions. The expected results are tables of what
// the GNU C library's sscanf("%lf"), sscanf("%d") and printf("%.7lg") give,
// bit for bit, so that every host is held to the same bytes.
#include "geometry/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <tuple>

namespace quillery {
namespace {

using namespace std::string_view_literals;

constexpr double kUntouched = 42.5;  // Bits 0x4045400000000000.
constexpr int kUntouchedInt = 99;
constexpr ScanResult kV = ScanResult::kValue, kF = ScanResult::kFailed,
                     kE = ScanResult::kEmpty;

std::uint64_t bits(double value) { return std::bit_cast<std::uint64_t>(value); }

struct ScanRow {
  std::string text;
  ScanResult result;
  std::uint64_t bits;  // Of the value afterwards; kUntouched unless read.
};

void expectScan(const ScanRow& row) {
  double value = kUntouched;
  EXPECT_EQ(scanDouble(row.text, 0, value), row.result) << "'" << row.text << "'";
  EXPECT_EQ(bits(value), row.bits)
      << "'" << row.text << "' gave " << std::hexfloat << value;
}

// Every token form: signs, points without digits on one side, dangling
// exponents, hexadecimal with and without digits, inf/infinity/nan and their
// partial spellings, correct rounding at ties, overflow and underflow.
TEST(NumberTextTest, ScanDoubleReadsTokensAsTheGnuLibrary) {
  const ScanRow rows[] = {
      {"0", kV, 0x0000000000000000},
      {"-0", kV, 0x8000000000000000},
      {"+0", kV, 0x0000000000000000},
      {"1.5", kV, 0x3ff8000000000000},
      {"-2", kV, 0xc000000000000000},
      {".5", kV, 0x3fe0000000000000},
      {"+.5", kV, 0x3fe0000000000000},
      {"-.5e-1", kV, 0xbfa999999999999a},
      {"5.", kV, 0x4014000000000000},
      {"5.e", kV, 0x4014000000000000},
      {"1e", kV, 0x3ff0000000000000},
      {"1e+", kV, 0x3ff0000000000000},
      {"1E-", kV, 0x3ff0000000000000},
      {"1e+-3", kV, 0x3ff0000000000000},
      {"1.2.3", kV, 0x3ff3333333333333},
      {"0e5", kV, 0x0000000000000000},
      {"00e5", kV, 0x0000000000000000},
      {".e5", kF, 0x4045400000000000},
      {".", kF, 0x4045400000000000},
      {"-.", kF, 0x4045400000000000},
      {"+-1", kF, 0x4045400000000000},
      {"+", kF, 0x4045400000000000},
      {"-", kF, 0x4045400000000000},
      {"1.5abc", kV, 0x3ff8000000000000},
      {"x", kF, 0x4045400000000000},
      {"e5", kF, 0x4045400000000000},
      {"- 5", kF, 0x4045400000000000},
      {"1e5x", kV, 0x40f86a0000000000},
      {" \t 2.5", kV, 0x4004000000000000},
      {"\t-3e2 7", kV, 0xc072c00000000000},
      {" \t\r\n\v\f", kE, 0x4045400000000000},
      {"", kE, 0x4045400000000000},
      {"-0.7071068", kV, 0xbfe6a09e7098ef50},
      {"0.6666667", kV, 0x3fe55555673aa1bc},
      {"1e-05", kV, 0x3ee4f8b588e368f1},
      {"1.234568e+07", kV, 0x41678c2a00000000},
      {"12345678901234567890", kV, 0x43e56a95319d63e1},
      {"0.1", kV, 0x3fb999999999999a},
      {"0.30000000000000004", kV, 0x3fd3333333333334},
      {"1e400", kV, 0x7ff0000000000000},
      {"-1e400", kV, 0xfff0000000000000},
      {"1e-400", kV, 0x0000000000000000},
      {"-1e-400", kV, 0x8000000000000000},
      {"4.9e-324", kV, 0x0000000000000001},
      {"2.4e-324", kV, 0x0000000000000000},
      {"2.4703282292062328e-324", kV, 0x0000000000000001},
      {"2.4703282292062327e-324", kV, 0x0000000000000000},
      {"2.2250738585072011e-308", kV, 0x000fffffffffffff},
      {"2.2250738585072014e-308", kV, 0x0010000000000000},
      {"1.7976931348623157e308", kV, 0x7fefffffffffffff},
      {"1.7976931348623158e308", kV, 0x7fefffffffffffff},
      {"1.7976931348623159e308", kV, 0x7ff0000000000000},
      {"1e99999999999999999999", kV, 0x7ff0000000000000},
      {"1e-99999999999999999999", kV, 0x0000000000000000},
      {"0.00000000000000000000000000001e29", kV, 0x3ff0000000000000},
      {"9007199254740993", kV, 0x4340000000000000},
      {"9007199254740993.0000000000000000000001", kV, 0x4340000000000001},
      {"9007199254740995", kV, 0x4340000000000002},
      {"123456789012345678901234567890e-10", kV, 0x43e56a95319d63e1},
      {"8.9884656743115795386e307", kV, 0x7fe0000000000000},
      {"1.00000000000000011102230246251565404236316680908203125", kV, 0x3ff0000000000000},
      {"1.00000000000000011102230246251565404236316680908203124", kV, 0x3ff0000000000000},
      {"1.00000000000000011102230246251565404236316680908203126", kV, 0x3ff0000000000001},
      {"0x1p3", kV, 0x4020000000000000},
      {"0x.", kV, 0x0000000000000000},
      {"0x", kF, 0x4045400000000000},
      {"0xg", kF, 0x4045400000000000},
      {"0xp1", kF, 0x4045400000000000},
      {"0x.p1", kV, 0x0000000000000000},
      {"0x1.", kV, 0x3ff0000000000000},
      {"0X.8", kV, 0x3fe0000000000000},
      {"0x1.8p1", kV, 0x4008000000000000},
      {"-0x1.8P1", kV, 0xc008000000000000},
      {"+0x.", kV, 0x0000000000000000},
      {"-0x", kF, 0x4045400000000000},
      {"0x1p", kV, 0x3ff0000000000000},
      {"0x1p+", kV, 0x3ff0000000000000},
      {"0x1p-2x", kV, 0x3fd0000000000000},
      {"0x1g", kV, 0x3ff0000000000000},
      {"0x10", kV, 0x4030000000000000},
      {"0xABCdef.8p-4", kV, 0x412579bdf0000000},
      {"0x1.00000000000008p0", kV, 0x3ff0000000000000},
      {"0x1.000000000000080001p0", kV, 0x3ff0000000000001},
      {"0x1.00000000000018p0", kV, 0x3ff0000000000002},
      {"0x1.fffffffffffff8p1023", kV, 0x7ff0000000000000},
      {"0x1.fffffffffffff7ffp1023", kV, 0x7fefffffffffffff},
      {"0x1p-1074", kV, 0x0000000000000001},
      {"0x1p-1075", kV, 0x0000000000000000},
      {"0x1.0000001p-1075", kV, 0x0000000000000001},
      {"0x1p-1076", kV, 0x0000000000000000},
      {"0x0.0000000000001p-1022", kV, 0x0000000000000001},
      {"0x1p1024", kV, 0x7ff0000000000000},
      {"0x1p99999999999999999999", kV, 0x7ff0000000000000},
      {"0x1p-99999999999999999999", kV, 0x0000000000000000},
      {"inf", kV, 0x7ff0000000000000},
      {"INFINITY", kV, 0x7ff0000000000000},
      {"-Inf", kV, 0xfff0000000000000},
      {"+iNfInItY", kV, 0x7ff0000000000000},
      {"infx", kV, 0x7ff0000000000000},
      {"infinityx", kV, 0x7ff0000000000000},
      {"infin", kF, 0x4045400000000000},
      {"infinit", kF, 0x4045400000000000},
      {"infi", kF, 0x4045400000000000},
      {"in", kF, 0x4045400000000000},
      {"i", kF, 0x4045400000000000},
      {"nan", kV, 0x7ff8000000000000},
      {"-nan", kV, 0xfff8000000000000},
      {"+NaN", kV, 0x7ff8000000000000},
      {"nanx", kV, 0x7ff8000000000000},
      {"nan(12)", kV, 0x7ff8000000000000},
      {"-NaN(0x1)", kV, 0xfff8000000000000},
      {"na", kF, 0x4045400000000000},
      {"n", kF, 0x4045400000000000},
      {"-n", kF, 0x4045400000000000},
      {"1.000000000000000111022302462515654042363166809082031250000000e+00", kV, 0x3ff0000000000000},
  };
  for (const ScanRow& row : rows) expectScan(row);
}

// Digit strings longer than any fast path takes.
TEST(NumberTextTest, ScanDoubleRoundsLongTokensAsTheGnuLibrary) {
  const ScanRow rows[] = {
      {"0." + std::string(400, '0') + "1e400", kV, 0x3fb999999999999a},
      {"1" + std::string(400, '0'), kV, 0x7ff0000000000000},
      {"1" + std::string(308, '0'), kV, 0x7fe1ccf385ebc8a0},
      {"0x" + std::string(300, 'f') + "p-1200", kV, 0x3ff0000000000000},
      {"4." + std::string(800, '9') + "e-324", kV, 0x0000000000000001},
  };
  for (const ScanRow& row : rows) expectScan(row);
}

TEST(NumberTextTest, NulEndsANumberButIsNotWhiteSpace) {
  const std::tuple<std::string_view, ScanResult, double, int> cases[] = {
      {"1\0005"sv, kV, 1, 1},
      {" -2.5\0e3"sv, kV, -2.5, -2},
      {"0x1\0p4"sv, kV, 1, 0},
      {"0x\0"sv, kF, kUntouched, 0},
      {"inf\0"sv, kV, INFINITY, kUntouchedInt},
      {"infi\0nity"sv, kF, kUntouched, kUntouchedInt},
      {"\0005"sv, kF, kUntouched, kUntouchedInt},
      {" \0"sv, kF, kUntouched, kUntouchedInt}};
  for (const auto& [text, result, number, whole] : cases) {
    SCOPED_TRACE(std::string(text));
    double value = kUntouched;
    EXPECT_EQ(scanDouble(text, 0, value), result);
    EXPECT_EQ(value, number);
    int integer = kUntouchedInt;
    EXPECT_EQ(scanInt(text, 0, integer), whole != kUntouchedInt);
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

// Integers are read as 64 bits that saturate (not wrap), then truncated.
TEST(NumberTextTest, ScanIntReadsTokensAsTheGnuLibrary) {
  const std::tuple<std::string_view, bool, int> rows[] = {
      {"0", true, 0},
      {"-0", true, 0},
      {"+7", true, 7},
      {"12abc", true, 12},
      {"  -12abc", true, -12},
      {"\t16 0 0", true, 16},
      {"4294967300", true, 4},
      {"4294967296 abc", true, 0},
      {"2147483648", true, -2147483648},
      {"2147483647", true, 2147483647},
      {"-2147483649", true, 2147483647},
      {"18446744073709551616", true, -1},
      {"9223372036854775807", true, -1},
      {"9223372036854775808", true, -1},
      {"-9223372036854775808", true, 0},
      {"-9223372036854775809", true, 0},
      {"99999999999999999999999", true, -1},
      {"-99999999999999999999999", true, 0},
      {"0x10", true, 0},
      {"- 5", false, 99},
      {"+-1", false, 99},
      {"+", false, 99},
      {"-", false, 99},
      {"x", false, 99},
      {"1.5", true, 1},
      {"1e5", true, 1},
      {"", false, 99},
      {" \t\r\n\v\f", false, 99},
      {"000000000000000000000000000000042", true, 42},
  };
  for (const auto& [text, read, expected] : rows) {
    int value = kUntouchedInt;
    EXPECT_EQ(scanInt(text, 0, value), read) << "'" << text << "'";
    EXPECT_EQ(value, expected) << "'" << text << "'";
  }
}

// Seven significant digits rounded half to even on the exact binary value,
// the switch to exponent form below 1e-4 and from 1e7, two exponent digits
// at least, the sign of zero and of NaN kept.
TEST(NumberTextTest, AppendNumberWritesAsTheGnuLibrary) {
  const std::tuple<std::uint64_t, std::string_view> rows[] = {
      {0x0000000000000000, "0"},
      {0x8000000000000000, "-0"},
      {0x3ff8000000000000, "1.5"},
      {0x4024000000000000, "10"},
      {0xbfe6a09e667e556e, "-0.7071068"},
      {0x3fe5555555555555, "0.6666667"},
      {0x3f1a36e2eb1c432d, "0.0001"},
      {0x3ee4f8b588e368f1, "1e-05"},
      {0x41678c29c0000000, "1.234568e+07"},
      {0x4132d68700000000, "1234567"},
      {0x416312cfeccccccd, "9999999"},
      {0x416312cff0000000, "1e+07"},
      {0x3f1a36e2d984a9ab, "0.0001"},
      {0x3f1a36e20f35445e, "9.999995e-05"},
      {0x7e37e43c8800759c, "1e+300"},
      {0x0000000000000001, "4.940656e-324"},
      {0xbca1cabf9078058e, "-1.234567e-16"},
      {0x4132d68780000000, "1234568"},
      {0x4132d68680000000, "1234566"},
      {0xc132d68880000000, "-1234568"},
      {0x3fe0000000000000, "0.5"},
      {0x416312d000000000, "1e+07"},
      {0x430c6bf526340000, "1e+15"},
      {0x4341c37937e08000, "1e+16"},
      {0xc480f0cf064dd592, "-1e+22"},
      {0x40fe240c00000000, "123456.8"},
      {0x3fb999999999999a, "0.1"},
      {0x3fd3333333333333, "0.3"},
      {0x3fd5555555555555, "0.3333333"},
      {0x43b0000000000000, "1.152922e+18"},
      {0x3eb0000000000000, "9.536743e-07"},
      {0x0010000000000000, "2.225074e-308"},
      {0x000fffffffffffff, "2.225074e-308"},
      {0x7fefffffffffffff, "1.797693e+308"},
      {0x4023ffffef39085f, "9.999999"},
      {0x3fefffffe5280d65, "0.9999999"},
      {0x40f869ffeb851eb8, "99999.99"},
      {0x3f1a36e2d51ea678, "9.999999e-05"},
      {0x7ff0000000000000, "inf"},
      {0xfff0000000000000, "-inf"},
      {0x7ff8000000000000, "nan"},
      {0xfff8000000000000, "-nan"},
      {0x7ff0000000000001, "nan"},
      {0xfff4000000000123, "-nan"},
      {0xf27dc56f1156c520, "-3.176239e+243"},
      {0x0d5e82d6d1e058e2, "2.792809e-244"},
      {0xf96cec29152f315e, "-8.010911e+276"},
      {0xf21c90a65110238e, "-4.761802e+241"},
      {0x2f869dc4b0688067, "9.537013e-80"},
      {0xf2e030bc903cf6e1, "-2.210973e+245"},
      {0xe1edfc4e07559da1, "-5.396099e+163"},
      {0xf1af11f2df75c9b5, "-4.046405e+239"},
      {0x16e49cd3764fc225, "2.154297e-198"},
      {0xc023af07c2a73fcf, "-9.841856"},
      {0xf2d0c92565e01c5c, "-1.146137e+245"},
      {0x1cb6b104d8ec3298, "2.348688e-170"},
      {0x7b1cae91ce040cfc, "1.066262e+285"},
      {0xf9f1baca294b53a0, "-2.514294e+279"},
      {0x20209b2e308e2813, "6.192725e-154"},
      {0xc3f7f9a7a8488a4a, "-2.764154e+19"},
      {0x092e13f741f8ea1d, "1.865618e-264"},
      {0x11fafb669909cac4, "4.665282e-222"},
      {0x35ce44e916fe7605, "1.618048e-49"},
      {0xa95ea8fdeb9fbe08, "-2.039837e-109"},
      {0x337dc9b26d015de6, "1.158565e-60"},
      {0xfccbfeb56649494c, "-1.396837e+293"},
      {0x4c6d01cf0ac0665b, "1.456642e+60"},
      {0xe5a03fb2658ee16e, "-3.371236e+181"},
      {0xc02996d29be9b934, "-12.79458"},
      {0x4012b4dad967d010, "4.676616"},
      {0x3ff434ddcba51cef, "1.262907"},
      {0x403a489f051b98fa, "26.28368"},
      {0x404fd1dec022ec18, "63.63961"},
      {0x4016d5168f4f3a06, "5.708094"},
      {0xc0297106db5a313c, "-12.72076"},
      {0x3ffbec7935585f76, "1.745233"},
      {0x40217e5e683a79da, "8.746814"},
      {0xc0393edc81586c7a, "-25.24555"},
      {0x40462bb5dec2ffc3, "44.34149"},
      {0xc04393d26f9d563f, "-39.15486"},
  };
  std::string joined = "2";
  std::string expected = "2";
  for (const auto& [pattern, text] : rows) {
    const double value = std::bit_cast<double>(pattern);
    EXPECT_EQ(formatNumber(value), text) << std::hexfloat << value;
    joined += ' ';
    appendNumber(joined, value);
    expected += ' ';
    expected += text;
  }
  EXPECT_EQ(joined, expected);
}

TEST(NumberTextTest, AppendColorWritesTheNumberAndABlank) {
  std::string text = "1 ";
  for (int value : {0, 16, -1, INT_MAX, INT_MIN}) appendColor(text, value);
  EXPECT_EQ(text, "1 0 16 -1 2147483647 -2147483648 ");
}

// Where the host's C library is the GNU one, random tokens and doubles are
// checked against it as well, far beyond what the tables hold.
#if defined(__GLIBC__)
constexpr bool kGnuLibrary = true;
#else
constexpr bool kGnuLibrary = false;
#endif

#define SKIP_UNLESS_GNU_LIBRARY()                                         \
  if (!kGnuLibrary) {                                                     \
    GTEST_SKIP() << "the host C library is not the reference; the fixed " \
                    "tables above hold this host to it";                  \
  }

void expectScanDoubleLikeLibrary(const std::string& text) {
  double expected = kUntouched;
  const int count = std::sscanf(text.c_str(), "%lf", &expected);
  const ScanResult expectedResult = count == 1 ? kV : count == EOF ? kE : kF;
  double actual = kUntouched;
  ASSERT_EQ(scanDouble(text, 0, actual), expectedResult) << "'" << text << "'";
  ASSERT_EQ(bits(actual), bits(expected)) << "'" << text << "'";
}

// Tokens of every shape a hand-written or fast reader may get wrong: long
// digit strings near rounding ties, points without digits on one side,
// dangling or huge exponents, signs, hexadecimal, trailing letters.
std::string randomToken(std::mt19937_64& rng) {
  auto below = [&rng](unsigned n) { return static_cast<unsigned>(rng() % n); };
  const bool hex = below(4) == 0;
  auto digits = [&](unsigned count) {
    std::string text;
    while (count-- > 0) {
      text.push_back(hex ? "0123456789abcdefABCDEF"[below(22)]
                         : static_cast<char>('0' + below(10)));
    }
    return text;
  };
  const char* signs[] = {"", "", "-", "+"};
  std::string token;
  if (below(10) == 0) token += " \t"[below(2)];
  token += signs[below(4)];
  if (hex) token += "0x";
  token += digits(below(4) == 0 ? below(40) : below(8));
  if (below(2) == 0) {
    token.push_back('.');
    token += digits(below(4) == 0 ? below(30) : below(8));
  }
  if (below(5) < 2) {
    token.push_back(hex ? "pP"[below(2)] : "eE"[below(2)]);
    token += signs[below(4)];
    token += std::to_string(below(3) == 0 ? below(1200) : below(30));
  }
  if (below(10) == 0) token.push_back("x.e+-5pi"[below(8)]);
  return token;
}

TEST(NumberTextTest, ScanDoubleMatchesTheGnuLibraryOnRandomTokens) {
  SKIP_UNLESS_GNU_LIBRARY();
  std::mt19937_64 rng(20240611);
  for (int k = 0; k < 100000 && !HasFatalFailure(); ++k) {
    expectScanDoubleLikeLibrary(randomToken(rng));
  }
}

TEST(NumberTextTest, ScanIntMatchesTheGnuLibraryOnRandomTokens) {
  SKIP_UNLESS_GNU_LIBRARY();
  std::mt19937_64 rng(7);
  for (int k = 0; k < 100000 && !HasFatalFailure(); ++k) {
    std::string token(rng() % 3, ' ');
    token += "  -+"[rng() % 4];
    for (unsigned d = static_cast<unsigned>(rng() % 26); d > 0; --d) {
      // Mostly nines and zeros, so that the saturation limits are crossed.
      token.push_back("0123456789999990"[rng() % 16]);
    }
    if (rng() % 8 == 0) token.push_back("x-5 "[rng() % 4]);
    int expected = kUntouchedInt;
    const bool expectedRead = std::sscanf(token.c_str(), "%d", &expected) == 1;
    int actual = kUntouchedInt;
    ASSERT_EQ(scanInt(token, 0, actual), expectedRead) << "'" << token << "'";
    ASSERT_EQ(actual, expected) << "'" << token << "'";
  }
}

TEST(NumberTextTest, AppendNumberMatchesTheGnuLibraryOnRandomDoubles) {
  SKIP_UNLESS_GNU_LIBRARY();
  std::mt19937_64 rng(1234);
  for (int k = 0; k < 100000; ++k) {
    double value = 0;
    if (k % 8 == 7) {  // thousandths, exact or one binary place off
      value = static_cast<double>(static_cast<std::int64_t>(rng() % 20000000001) -
                                  10000000000) /
              1000;
      if (rng() % 2 == 0) value = std::nextafter(value, rng() % 2 ? 1e300 : -1e300);
    } else if (k % 4 == 0) {  // any bit pattern: subnormals, infinities, NaN payloads
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
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.7lg", value);
    ASSERT_EQ(formatNumber(value), expected) << std::hexfloat << value;
  }
}

}  // namespace
}  // namespace quillery
