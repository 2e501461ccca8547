// The data file as a stream of bytes read through one large buffer, and the
// reading primitives of the data file's lexical rules: blanks, tokens,
// delimited texts, integers and single characters.
//
// A read that finds nothing fails and sets `failed`; once failed, the input
// stays failed and every later read finds nothing too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "input/char_class.h"
#include "input/sample_data.h"

// The longest token or population label the reader accepts, so that no file
// can make it read without bound.
constexpr size_t MAXTEXTLENGTH = 65536;

// Buffer size for reading a file.
constexpr size_t kInputBufferSize = size_t{1} << 20;

struct DataInput {
  const unsigned char* p = nullptr;    // next unread byte
  const unsigned char* end = nullptr;  // end of the bytes at hand
  int fd = -1;                         // source file, or -1 for bytes in memory
  unsigned char* buf = nullptr;        // kInputBufferSize bytes for a file
  bool atEnd = false;                  // the source has no more bytes
  bool failed = false;                 // a read found nothing
  bool ioError = false;                // the operating system refused a read
};

// Sets up `in` over bytes already in memory.
void openInputBytes(DataInput& in, const unsigned char* data, size_t size);
// Sets up `in` over an open file descriptor, reading through `buffer` of
// kInputBufferSize bytes.
void openInputFile(DataInput& in, int fd, unsigned char* buffer);

// Makes at least `n` unread bytes available (n <= kInputBufferSize), keeping
// the unread ones; returns false when the source ends first.
bool ensureBytes(DataInput& in, size_t n);

// The next byte without consuming it, or -1 at the end of the input.
inline int peekByte(DataInput& in) {
  if (in.p == in.end && !ensureBytes(in, 1)) return -1;
  return *in.p;
}

// Consumes blanks up to the next other byte or the end of the input.
void skipBlanks(DataInput& in);

enum class ReadStatus { Got, Nothing, TooLong };

// A token: the characters up to the next blank.  Tokens of any length up to
// MAXTEXTLENGTH are read whole; `text` keeps the first LABELSIZE - 1 bytes.
struct Token {
  char text[LABELSIZE] = {};
  size_t len = 0;          // length of the whole token
  unsigned char last = 0;  // its last character
  // The character before the last; set only for a token longer than its
  // stored text, the one case where `text` cannot give it.
  unsigned char beforeLast = 0;
};

// Byte i (0, 1 or 2) of the token, or 0 beyond its end, as a terminated
// text would give it.
inline unsigned char tokenChar(const Token& t, size_t i) {
  return i < t.len ? static_cast<unsigned char>(t.text[i]) : 0;
}
// Whether the whole token equals `word` (a word shorter than LABELSIZE).
bool tokenIs(const Token& t, const char* word);

// Skips blanks and reads a token.  Nothing: the end of the input came first;
// `t` keeps its previous text.  TooLong: more than MAXTEXTLENGTH characters.
ReadStatus readTokenSlow(DataInput& in, Token& t);
inline ReadStatus readToken(DataInput& in, Token& t) {
  // Most tokens are short and lie whole in the buffer, ended by a blank.
  if (!in.failed) {
    const unsigned char* p = in.p;
    while (p != in.end && isBlank(*p)) ++p;
    const unsigned char* s = p;
    while (s != in.end && !isBlank(*s)) ++s;
    size_t len = static_cast<size_t>(s - p);
    if (s != in.end && len > 0 && len < LABELSIZE) {
      std::memcpy(t.text, p, len);
      t.text[len] = '\0';
      t.len = len;
      t.last = s[-1];
      in.p = s;
      return ReadStatus::Got;
    }
    in.p = p;
  }
  return readTokenSlow(in, t);
}

// Reads up to and including `delim`, at most LABELSIZE - 1 characters, into
// `text` (NUL-terminated), without skipping blanks.  If that many are taken
// without meeting the delimiter, the rest stays unread.  Returns false (with
// an empty text) when the input ends before the first character.
bool readDelimitedText(DataInput& in, char delim, char* text);

// Reads a text of any length up to and including `delim`, keeping its first
// LABELSIZE - 1 characters in `text`.  Nothing: the input ended before the
// delimiter.  TooLong: more than MAXTEXTLENGTH characters before it.
ReadStatus readLabelText(DataInput& in, char delim, char* text);

enum class IntStatus { Got, NoDigits, AtEnd, TooLong, OutOfRange };

struct IntRead {
  IntStatus status;
  int32_t value;             // set when Got, 0 when NoDigits
  char written[LABELSIZE];   // the number as written (first 39 characters)
};

// Skips blanks and reads an integer: optional sign, then "0x"/"0X" for
// hexadecimal, a leading "0" for octal, decimal otherwise.  Reading stops
// before the first character that cannot continue the number.  A number of
// more than 15 characters (sign and prefix included) is TooLong; one outside
// the 32-bit signed range OutOfRange.  NoDigits leaves the characters looked
// at unread; NoDigits and AtEnd fail the input.
IntRead readInteger(DataInput& in);

// Skips blanks and takes one byte; -1 (and the input failed) at the end.
int readSingleCharSlow(DataInput& in);
inline int readSingleChar(DataInput& in) {
  const unsigned char* p = in.p;
  while (p != in.end && isBlank(*p)) ++p;
  if (p != in.end && !in.failed) {
    in.p = p + 1;
    return *p;
  }
  in.p = p;
  return readSingleCharSlow(in);
}

// Takes the very next byte; -1 (and the input failed) at the end.
int readNextChar(DataInput& in);
