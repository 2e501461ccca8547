// The reading primitives of the data file: integers, tokens, delimited and
// label texts, single characters, what a failed read leaves behind, and
// reading a real file through the one large buffer.
#include "input/data_input.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "test_support.h"

namespace {

// An input over bytes in memory that it keeps alive.
struct Bytes {
  std::string s;
  DataInput in;
  explicit Bytes(std::string text) : s(std::move(text)) {
    openInputBytes(in, reinterpret_cast<const unsigned char*>(s.data()),
                   s.size());
  }
  Bytes(const Bytes&) = delete;
  Bytes& operator=(const Bytes&) = delete;
  // What is still unread.
  std::string rest() const {
    return std::string(reinterpret_cast<const char*>(in.p),
                       reinterpret_cast<const char*>(in.end));
  }
};

const char* statusName(IntStatus s) {
  switch (s) {
    case IntStatus::Got: return "Got";
    case IntStatus::NoDigits: return "NoDigits";
    case IntStatus::AtEnd: return "AtEnd";
    case IntStatus::TooLong: return "TooLong";
    case IntStatus::OutOfRange: return "OutOfRange";
  }
  return "?";
}

// ---------------------------------------------------------------- integers

struct IntCase {
  const char* text;
  IntStatus status;
  int32_t value;     // checked when Got or NoDigits
  const char* rest;  // what stays unread (checked unless refused)
  bool failed;       // whether the input is failed afterwards
};

TEST(ReadInteger, Table) {
  const IntStatus G = IntStatus::Got, N = IntStatus::NoDigits,
                  E = IntStatus::AtEnd;
  const IntCase cases[] = {
      {"42 x", G, 42, " x", false},
      {" \t\r\n-17;", G, -17, ";", false},
      {"+5", G, 5, "", false},
      {"010", G, 8, "", false},
      {"-010", G, -8, "", false},
      {"0x10", G, 16, "", false},
      {"0X1f,", G, 31, ",", false},
      {"-0x10", G, -16, "", false},
      {"+0xA", G, 10, "", false},
      {"0", G, 0, "", false},
      // Reading stops before the first character that cannot continue the
      // number: a digit outside the base, a letter, a prefix with no digit.
      {"08", G, 0, "8", false},
      {"0779", G, 63, "9", false},
      {"12abc", G, 12, "abc", false},
      {"1adh,", G, 1, "adh,", false},
      {"0x", G, 0, "x", false},
      {"0xg", G, 0, "xg", false},
      {"0x1g", G, 1, "g", false},
      // No digit: 0 is stored, nothing is consumed and the input fails.
      {"abc", N, 0, "abc", true},
      {"  -x", N, 0, "-x", true},
      {"- 5", N, 0, "- 5", true},
      {"+", N, 0, "+", true},
      {";", N, 0, ";", true},
      // The end of the input: nothing is there to store.
      {"", E, 0, "", true},
      {" \n\t ", E, 0, "", true},
      // The 32-bit range, edges included.
      {"2147483647", G, 2147483647, "", false},
      {"-2147483648", G, INT32_MIN, "", false},
      {"0x7fffffff", G, 2147483647, "", false},
      {"-0x80000000", G, INT32_MIN, "", false},
      // Fifteen characters, sign and prefix included, are accepted.
      {"000000000000010", G, 8, "", false},
      {"-00000000000001", G, -1, "", false},
      {"999999999999999 ", IntStatus::OutOfRange, 0, " ", false},
  };
  for (const IntCase& c : cases) {
    SCOPED_TRACE(std::string("input \"") + c.text + "\"");
    Bytes b(c.text);
    IntRead r = readInteger(b.in);
    EXPECT_STREQ(statusName(c.status), statusName(r.status));
    if (c.status == G || c.status == N) {
      EXPECT_EQ(c.value, r.value);
    }
    EXPECT_EQ(c.rest, b.rest());
    EXPECT_EQ(c.failed, b.in.failed);
  }
}

// Numbers too long or outside the range are refused and quoted as written,
// never wrapped into range.
TEST(ReadInteger, RefusedNumbersQuoteTheirText) {
  struct Case {
    const char* text;
    IntStatus status;
    const char* written;
  } cases[] = {
      {"2147483648", IntStatus::OutOfRange, "2147483648"},
      {"-2147483649", IntStatus::OutOfRange, "-2147483649"},
      {"0x80000000", IntStatus::OutOfRange, "0x80000000"},
      {"4294967298;", IntStatus::OutOfRange, "4294967298"},  // 2 if wrapped
      {"0000000000000010", IntStatus::TooLong, "0000000000000010"},
      {"+000000000000001", IntStatus::TooLong, "+000000000000001"},
      {"0x00000000000001", IntStatus::TooLong, "0x00000000000001"},
      // A very long number is quoted by its first 39 characters.
      {"1234567890123456789012345678901234567890123456789",
       IntStatus::TooLong, "123456789012345678901234567890123456789"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("input \"") + c.text + "\"");
    Bytes b(c.text);
    IntRead r = readInteger(b.in);
    EXPECT_STREQ(statusName(c.status), statusName(r.status));
    EXPECT_STREQ(c.written, r.written);
  }
}

// ------------------------------------------------------------------ tokens

TEST(ReadToken, PunctuationIsOrdinaryAndEveryBlankEndsAToken) {
  Bytes b("  a,b;c=d:e#f\tg\nh\vi\fj\rk l");
  Token t;
  const char* expected[] = {"a,b;c=d:e#f", "g", "h", "i", "j", "k", "l"};
  for (const char* e : expected) {
    ASSERT_EQ(ReadStatus::Got, readToken(b.in, t));
    EXPECT_STREQ(e, t.text);
    EXPECT_EQ(std::string(e).size(), t.len);
    EXPECT_EQ(static_cast<unsigned char>(e[std::string(e).size() - 1]), t.last);
  }
  EXPECT_FALSE(b.in.failed);
  EXPECT_EQ(ReadStatus::Nothing, readToken(b.in, t));
}

TEST(ReadToken, TheBlankAfterATokenStaysUnread) {
  Bytes b("matrix\n  north:");
  Token t;
  ASSERT_EQ(ReadStatus::Got, readToken(b.in, t));
  EXPECT_EQ("\n  north:", b.rest());
}

TEST(ReadToken, ShorterTokenReplacesALongerOne) {
  Bytes b("abcdefgh ab");
  Token t;
  readToken(b.in, t);
  ASSERT_EQ(ReadStatus::Got, readToken(b.in, t));
  EXPECT_STREQ("ab", t.text);
  EXPECT_EQ(2u, t.len);
  EXPECT_EQ('b', t.last);
  EXPECT_EQ(0, tokenChar(t, 2));  // beyond the end, as a terminated text
}

// A long token is read whole: its length and last character are the whole
// token's, its text keeps the first 39 characters, and a keyword test
// compares the whole token.
TEST(ReadToken, LongTokenIsReadWhole) {
  const std::string word = "matrix" + std::string(40, 'x') + ";";
  Bytes b(word + " next");
  Token t;
  ASSERT_EQ(ReadStatus::Got, readToken(b.in, t));
  EXPECT_EQ(word.size(), t.len);
  EXPECT_EQ(word.substr(0, LABELSIZE - 1), t.text);
  EXPECT_EQ(';', t.last);
  EXPECT_EQ('m', tokenChar(t, 0));
  EXPECT_EQ('a', tokenChar(t, 1));
  EXPECT_EQ('t', tokenChar(t, 2));
  EXPECT_FALSE(tokenIs(t, "matrix"));
  EXPECT_EQ(" next", b.rest());

  Bytes exact("matrix");
  ASSERT_EQ(ReadStatus::Got, readToken(exact.in, t));
  EXPECT_TRUE(tokenIs(t, "matrix"));
  EXPECT_FALSE(tokenIs(t, "matri"));
  EXPECT_FALSE(tokenIs(t, "matrixx"));
}

TEST(ReadToken, LengthLimit) {
  Token t;
  Bytes longest(std::string(MAXTEXTLENGTH, 'a') + " ");
  EXPECT_EQ(ReadStatus::Got, readToken(longest.in, t));
  EXPECT_EQ(MAXTEXTLENGTH, t.len);

  Bytes over(std::string(MAXTEXTLENGTH + 1, 'b') + " ");
  EXPECT_EQ(ReadStatus::TooLong, readToken(over.in, t));
  EXPECT_EQ(std::string(LABELSIZE - 1, 'b'), t.text);
}

// A failed read leaves the token as it was, and once the input has failed
// every later read fails too, even where bytes remain.
TEST(FailedInput, TokenKeepsItsText) {
  Bytes b("abc");
  Token t;
  ASSERT_EQ(ReadStatus::Got, readToken(b.in, t));
  EXPECT_EQ(ReadStatus::Nothing, readToken(b.in, t));
  EXPECT_STREQ("abc", t.text);
  EXPECT_EQ(3u, t.len);
  EXPECT_EQ('c', t.last);
  EXPECT_TRUE(b.in.failed);
}

TEST(FailedInput, EveryReadFailsAfterANumberWithoutDigits) {
  Bytes b("tok x 12 tail: more");
  Token t;
  ASSERT_EQ(ReadStatus::Got, readToken(b.in, t));
  ASSERT_EQ(IntStatus::NoDigits, readInteger(b.in).status);
  EXPECT_EQ("x 12 tail: more", b.rest());

  EXPECT_EQ(ReadStatus::Nothing, readToken(b.in, t));
  EXPECT_STREQ("tok", t.text);
  EXPECT_EQ(IntStatus::AtEnd, readInteger(b.in).status);
  EXPECT_EQ(-1, readSingleChar(b.in));
  EXPECT_EQ(-1, readNextChar(b.in));
  char text[LABELSIZE] = "old";
  EXPECT_FALSE(readDelimitedText(b.in, ':', text));
  EXPECT_STREQ("", text);
  std::strcpy(text, "old");
  EXPECT_EQ(ReadStatus::Nothing, readLabelText(b.in, ':', text));
  EXPECT_STREQ("", text);
  EXPECT_EQ("x 12 tail: more", b.rest());
}

// ---------------------------------------------------------- delimited text

TEST(ReadDelimitedText, Table) {
  const std::string x39(LABELSIZE - 1, 'x');
  struct Case {
    std::string input;
    bool got;
    std::string text;
    std::string rest;
    bool failed;
  } cases[] = {
      {"npops=2", true, "npops", "2", false},
      // Nothing is skipped: blanks and line ends are kept.
      {" \n key =2", true, " \n key ", "2", false},
      {"=2", true, "", "2", false},
      // 39 characters without the delimiter: the rest stays unread and no
      // failure is recorded.
      {x39 + "yy=3", true, x39, "yy=3", false},
      {x39 + "=3", true, x39, "=3", false},
      // The input ends after some characters: they are the text.
      {"abc", true, "abc", "", false},
      // The input ends before the first character: an empty text, failed.
      {"", false, "", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("input \"" + c.input + "\"");
    Bytes b(c.input);
    char text[LABELSIZE] = "stale";
    EXPECT_EQ(c.got, readDelimitedText(b.in, '=', text));
    EXPECT_EQ(c.text, text);
    EXPECT_EQ(c.rest, b.rest());
    EXPECT_EQ(c.failed, b.in.failed);
  }
}

// ------------------------------------------------------------- label text

TEST(ReadLabelText, ReadsToTheColonWhateverItsLength) {
  const std::string x50(50, 'x');
  struct Case {
    std::string input;
    ReadStatus status;
    std::string text;
    std::string rest;
  } cases[] = {
      {"north: ind1", ReadStatus::Got, "north", " ind1"},
      {"\n  south : i", ReadStatus::Got, "\n  south ", " i"},
      {": i", ReadStatus::Got, "", " i"},
      {x50 + ": i", ReadStatus::Got, x50.substr(0, LABELSIZE - 1), " i"},
      {std::string(MAXTEXTLENGTH, 'y') + ":", ReadStatus::Got,
       std::string(LABELSIZE - 1, 'y'), ""},
      {std::string(MAXTEXTLENGTH + 1, 'z') + ":", ReadStatus::TooLong,
       std::string(LABELSIZE - 1, 'z'), ":"},
      // The input ends before the colon.
      {"north", ReadStatus::Nothing, "", ""},
      {"", ReadStatus::Nothing, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("input \"" + c.input.substr(0, 60) + "\"");
    Bytes b(c.input);
    char text[LABELSIZE] = "stale";
    EXPECT_EQ(c.status, readLabelText(b.in, ':', text));
    if (c.status != ReadStatus::Nothing) {
      EXPECT_EQ(c.text, text);
    }
    EXPECT_EQ(c.rest, b.rest());
    EXPECT_EQ(c.status == ReadStatus::Nothing, b.in.failed);
  }
}

// ------------------------------------------------------ single characters

TEST(ReadSingleChar, SkipsBlanksThenTakesAnyCharacter) {
  Bytes b("  \n,;: x");
  EXPECT_EQ(',', readSingleChar(b.in));
  EXPECT_EQ(';', readSingleChar(b.in));
  EXPECT_EQ(':', readSingleChar(b.in));
  EXPECT_EQ('x', readSingleChar(b.in));
  EXPECT_FALSE(b.in.failed);
  EXPECT_EQ(-1, readSingleChar(b.in));
  EXPECT_TRUE(b.in.failed);
}

TEST(ReadNextChar, TakesTheVeryNextCharacterBlankOrNot) {
  Bytes b("\xff x");
  EXPECT_EQ(0xff, readNextChar(b.in));  // bytes, not signed chars
  EXPECT_EQ(' ', readNextChar(b.in));
  EXPECT_EQ('x', readNextChar(b.in));
  EXPECT_EQ(-1, readNextChar(b.in));
  EXPECT_TRUE(b.in.failed);
}

// -------------------------------------------------------- reading a file

// A file read through a kInputBufferSize buffer, deleted afterwards.
struct FileInput {
  std::string path;
  int fd;
  DataInput in;
  explicit FileInput(const std::string& contents)
      : path(writeTempFile(contents)), fd(::open(path.c_str(), O_RDONLY)) {
    static unsigned char buffer[kInputBufferSize];
    openInputFile(in, fd, buffer);
  }
  ~FileInput() {
    ::close(fd);
    std::remove(path.c_str());
  }
};

// Tokens and integers that straddle the end of the first buffer load are
// read whole, whichever of their characters falls on either side.
TEST(FileInput, ReadsAcrossTheBufferBoundary) {
  const std::string word = "tok,en;long";
  const std::string number = "-0x7fffffff";
  for (size_t before = 1; before < number.size(); ++before) {
    SCOPED_TRACE("characters before the boundary: " + std::to_string(before));
    {
      FileInput f(std::string(kInputBufferSize - before, ' ') + word + " z");
      ASSERT_GE(f.fd, 0);
      Token t;
      ASSERT_EQ(ReadStatus::Got, readToken(f.in, t));
      EXPECT_STREQ(word.c_str(), t.text);
      EXPECT_EQ(word.size(), t.len);
      EXPECT_EQ('g', t.last);
      ASSERT_EQ(ReadStatus::Got, readToken(f.in, t));
      EXPECT_STREQ("z", t.text);
      EXPECT_EQ(ReadStatus::Nothing, readToken(f.in, t));
    }
    {
      FileInput f(std::string(kInputBufferSize - before, '\n') + number + ";");
      ASSERT_GE(f.fd, 0);
      IntRead r = readInteger(f.in);
      ASSERT_EQ(IntStatus::Got, r.status);
      EXPECT_EQ(-0x7fffffff, r.value);
      EXPECT_EQ(';', readNextChar(f.in));
      EXPECT_EQ(-1, readNextChar(f.in));
    }
  }
}

// A number without digits at the boundary leaves what it looked at unread,
// even after the buffer was refilled to look ahead.
TEST(FileInput, NoDigitsAtTheBoundaryConsumesNothing) {
  FileInput f(std::string(kInputBufferSize - 1, ' ') + "-x");
  ASSERT_GE(f.fd, 0);
  EXPECT_EQ(IntStatus::NoDigits, readInteger(f.in).status);
  EXPECT_EQ('-', *f.in.p);
}

}  // namespace
