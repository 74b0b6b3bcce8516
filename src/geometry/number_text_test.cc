// Tests of the number conversions. The expected results are tables of what
// the GNU C library's sscanf("%lf"), sscanf("%d") and printf("%.7lg") give,
// bit for bit (tests/data/number_text.txt), so that every host is held to
// the same bytes.
#include "geometry/number_text.h"

#include <gtest/gtest.h>

#include <algorithm>
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
#include <vector>

#include "test_util.h"

namespace quillery {
namespace {

using testing::tableRows;

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

std::uint64_t hexBits(const std::string& text) {
  return std::strtoull(text.c_str(), nullptr, 16);
}

TEST(NumberTextTest, ScanDoubleReadsTokensAsTheGnuLibrary) {
  for (const auto& row : tableRows("number_text.txt", "double")) {
    ASSERT_EQ(row.size(), 3u);
    const ScanResult result = row[1] == "value" ? kV : row[1] == "failed" ? kF : kE;
    expectScan({row[0], result, hexBits(row[2])});
  }
}

// Digit strings longer than any fast path takes.
TEST(NumberTextTest, ScanDoubleRoundsLongTokensAsTheGnuLibrary) {
  const ScanRow rows[] = {
      {"0." + std::string(400, '0') + "1e400", kV, 0x3fb999999999999a},
      {std::string("0.").append(400, '0').append("1e5"), kV, 0x0000000000000000},
      {"1" + std::string(400, '0'), kV, 0x7ff0000000000000},
      {"1" + std::string(308, '0'), kV, 0x7fe1ccf385ebc8a0},
      {"0x" + std::string(300, 'f') + "p-1200", kV, 0x3ff0000000000000},
      {"4." + std::string(800, '9') + "e-324", kV, 0x0000000000000001},
  };
  for (const ScanRow& row : rows) expectScan(row);
}

TEST(NumberTextTest, ScanDoubleReadsOnlyTheTokenAtThePosition) {
  const std::string_view text = "1 -16.25 x";
  double value = kUntouched;
  EXPECT_EQ(scanDouble(text, 1, value), kV);
  EXPECT_EQ(value, -16.25);
  EXPECT_EQ(scanDouble(text, 8, value), kF);
  EXPECT_EQ(scanDouble(text, text.size(), value), kE);
  EXPECT_EQ(value, -16.25);
  // A token that the end of the text cuts is read as far as the text goes,
  // whatever lies past its end in memory.
  const std::string_view cut = std::string_view("1 infinity").substr(0, 5);
  EXPECT_EQ(scanDouble(cut, 1, value), kV);
  EXPECT_EQ(value, std::numeric_limits<double>::infinity());
}

TEST(NumberTextTest, ScanIntReadsTokensAsTheGnuLibrary) {
  for (const auto& row : tableRows("number_text.txt", "int")) {
    ASSERT_EQ(row.size(), 3u);
    int value = kUntouchedInt;
    EXPECT_EQ(scanInt(row[0], 0, value), row[1] == "yes") << "'" << row[0] << "'";
    EXPECT_EQ(value, std::stoi(row[2])) << "'" << row[0] << "'";
  }
}

// Each value alone and all of them appended to one line.
TEST(NumberTextTest, AppendNumberWritesAsTheGnuLibrary) {
  std::string joined = "2";
  std::string expected = "2";
  for (const auto& row : tableRows("number_text.txt", "format")) {
    ASSERT_EQ(row.size(), 2u);
    const double value = std::bit_cast<double>(hexBits(row[0]));
    EXPECT_EQ(formatNumber(value), row[1]) << std::hexfloat << value;
    joined += ' ';
    appendNumber(joined, value);
    expected += ' ';
    expected += row[1];
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
