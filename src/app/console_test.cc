// Tests of the console's number format, date line and word reading.
#include "app/console.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "test_support.h"

namespace {

TEST(FormatNumber, GeneralNotationWithThreeDigitExponent) {
  struct {
    double value;
    const char* text;
  } cases[] = {
      {0.5, "0.5"},
      {3, "3"},
      {1234.5678, "1234.57"},
      {123456.7, "123457"},
      {999999.7, "1e+006"},
      {1234567, "1.23457e+006"},
      {0.0001, "0.0001"},
      {0.000123456789, "0.000123457"},
      {0.00001, "1e-005"},
      // Rounding to six digits decides the form.
      {999999.4, "999999"},
      {999999.5, "1e+006"},
      {0.0000999995, "9.99995e-005"},
      {0.00009999995, "0.0001"},
      {0.00009999994, "9.99999e-005"},
      {-1234.5678, "-1234.57"},
      {-0.00001, "-1e-005"},
      {0.0, "0"},
      {-0.0, "0"},
      {1e100, "1e+100"},
      {1.5e-300, "1.5e-300"},
      // The estimate of the worked example, widened from single precision.
      {static_cast<double>(1.15104020f), "1.15104"},
      {static_cast<double>(0.00001f), "1e-005"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(formatNumber(c.value), c.text) << c.value;
}

TEST(FormatNumber, NotANumberAndInfinity) {
  EXPECT_EQ(formatNumber(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(formatNumber(-std::numeric_limits<double>::infinity()), "-inf");
  // The square root of a negative variance.
  EXPECT_EQ(formatNumber(std::sqrt(-2.5)), "-nan");
  EXPECT_EQ(formatNumber(std::numeric_limits<double>::quiet_NaN()), "nan");
}

TEST(DateLine, FixedTimeZeroPadded) {
  std::tm t{};
  t.tm_year = 98;
  t.tm_mon = 7;
  t.tm_mday = 23;
  t.tm_wday = 0;
  t.tm_hour = 9;
  t.tm_min = 5;
  t.tm_sec = 7;
  EXPECT_EQ(formatDateLine(t), "Sun Aug 23 09:05:07 1998\n");
  t.tm_year = 126;
  t.tm_mon = 11;
  t.tm_mday = 1;
  t.tm_wday = 2;
  t.tm_hour = 23;
  t.tm_min = 59;
  t.tm_sec = 0;
  EXPECT_EQ(formatDateLine(t), "Tue Dec 01 23:59:00 2026\n");
}

TEST(ReadWord, SkipsWhitespaceAndLeavesTheRest) {
  CapturedConsole c("\n\n \t\v\f\r  data.nex  quit\n");
  std::string w;
  ASSERT_TRUE(readWord(c.con, w));
  EXPECT_EQ(w, "data.nex");
  EXPECT_EQ(c.unread(), "  quit\n");
}

TEST(ReadWord, WordAtTheEndOfInputAndNoWord) {
  std::string w;
  CapturedConsole last("name");
  ASSERT_TRUE(readWord(last.con, w));
  EXPECT_EQ(w, "name");
  CapturedConsole blanks(" \n\t\n");
  EXPECT_FALSE(readWord(blanks.con, w));
  EXPECT_EQ(w, "");
  CapturedConsole empty("");
  EXPECT_FALSE(readWord(empty.con, w));
}

TEST(ReadWord, FlushesStandardOutputFirst) {
  CapturedConsole c("x", /*combined=*/true);
  writeOut(c.con, "prompt: ");
  std::string w;
  readWord(c.con, w);
  writeErr(c.con, "after");
  EXPECT_EQ(c.out(), "prompt: after");
}

TEST(ReadWordMatching, ComparesTheWholeWord) {
  struct {
    const char* input;
    WordMatch match;
  } cases[] = {
      {"quit", WordMatch::Match},     {"  \n\tquit\n", WordMatch::Match},
      {"Quit", WordMatch::Other},     {"QUIT", WordMatch::Other},
      {"quit.", WordMatch::Other},    {"quitting", WordMatch::Other},
      {"quitquit", WordMatch::Other}, {"qui", WordMatch::Other},
      {"", WordMatch::NoInput},       {" \n\n ", WordMatch::NoInput},
  };
  for (const auto& k : cases) {
    CapturedConsole c(k.input);
    EXPECT_EQ(readWordMatching(c.con, "quit"), k.match) << k.input;
  }
}

TEST(ReadWordMatching, LongWordIsOneReply) {
  std::string longWord(100000, 'q');
  CapturedConsole c(longWord + " quit");
  EXPECT_EQ(readWordMatching(c.con, "quit"), WordMatch::Other);
  EXPECT_EQ(readWordMatching(c.con, "quit"), WordMatch::Match);
}

TEST(Streams, ErrorWritesKeepProgramOrder) {
  CapturedConsole c("", /*combined=*/true);
  writeOut(c.con, "one");
  writeErr(c.con, "two");
  writeOut(c.con, "three");
  writeErr(c.con, "four");
  EXPECT_EQ(c.out(), "onetwothreefour");
}

}  // namespace
