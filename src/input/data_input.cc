// Buffered reading of the data file and its reading primitives.
#include "input/data_input.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

void openInputBytes(DataInput& in, const unsigned char* data, size_t size) {
  in = DataInput{};
  in.p = data;
  in.end = data + size;
  in.atEnd = true;
}

void openInputFile(DataInput& in, int fd, unsigned char* buffer) {
  in = DataInput{};
  in.fd = fd;
  in.buf = buffer;
  in.p = in.end = buffer;
}

bool ensureBytes(DataInput& in, size_t n) {
  while (static_cast<size_t>(in.end - in.p) < n) {
    if (in.atEnd) return false;
    // Keep the unread bytes at the front and fill the rest of the buffer.
    size_t kept = static_cast<size_t>(in.end - in.p);
    if (kept > 0 && in.p != in.buf) std::memmove(in.buf, in.p, kept);
    in.p = in.buf;
    in.end = in.buf + kept;
    ssize_t got;
    do {
      got = ::read(in.fd, in.buf + kept, kInputBufferSize - kept);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
      in.atEnd = true;
      if (got < 0) in.ioError = true;
      return static_cast<size_t>(in.end - in.p) >= n;
    }
    in.end += got;
  }
  return true;
}

void skipBlanks(DataInput& in) {
  for (;;) {
    while (in.p != in.end && isBlank(*in.p)) ++in.p;
    if (in.p != in.end || !ensureBytes(in, 1)) return;
  }
}

bool tokenIs(const Token& t, const char* word) {
  size_t n = std::strlen(word);
  return t.len == n && std::memcmp(t.text, word, n) == 0;
}

ReadStatus readTokenSlow(DataInput& in, Token& t) {
  if (in.failed) return ReadStatus::Nothing;
  skipBlanks(in);
  if (in.p == in.end) {
    in.failed = true;
    return ReadStatus::Nothing;
  }
  size_t len = 0;
  unsigned char last = 0, beforeLast = 0;
  for (;;) {
    const unsigned char* s = in.p;
    while (s != in.end && !isBlank(*s)) ++s;
    size_t run = static_cast<size_t>(s - in.p);
    if (run > 0) {
      if (len < LABELSIZE - 1) {
        size_t keep = run < LABELSIZE - 1 - len ? run : LABELSIZE - 1 - len;
        std::memcpy(t.text + len, in.p, keep);
      }
      len += run;
      beforeLast = run > 1 ? s[-2] : last;
      last = s[-1];
      in.p = s;
      if (len > MAXTEXTLENGTH) return ReadStatus::TooLong;
    }
    if (in.p != in.end || !ensureBytes(in, 1)) break;
  }
  t.text[len < LABELSIZE - 1 ? len : LABELSIZE - 1] = '\0';
  t.len = len;
  t.last = last;
  t.beforeLast = beforeLast;
  return ReadStatus::Got;
}

bool readDelimitedText(DataInput& in, char delim, char* text) {
  text[0] = '\0';
  if (in.failed) return false;
  if (!ensureBytes(in, 1)) {
    in.failed = true;
    return false;
  }
  size_t len = 0;
  while (len < LABELSIZE - 1) {
    int c = peekByte(in);
    if (c < 0) break;
    ++in.p;
    if (c == static_cast<unsigned char>(delim)) break;
    text[len++] = static_cast<char>(c);
  }
  text[len] = '\0';
  return true;
}

ReadStatus readLabelText(DataInput& in, char delim, char* text) {
  text[0] = '\0';
  if (in.failed) return ReadStatus::Nothing;
  size_t len = 0;
  for (;;) {
    int c = peekByte(in);
    if (c < 0) {
      in.failed = true;
      return ReadStatus::Nothing;
    }
    ++in.p;
    if (c == static_cast<unsigned char>(delim)) return ReadStatus::Got;
    if (len < LABELSIZE - 1) {
      text[len] = static_cast<char>(c);
      text[len + 1] = '\0';
    }
    if (++len > MAXTEXTLENGTH) return ReadStatus::TooLong;
  }
}

// Byte k ahead of the next unread one, or -1 past the end of the input.
static int peekAhead(DataInput& in, size_t k) {
  if (!ensureBytes(in, k + 1)) return -1;
  return in.p[k];
}

IntRead readInteger(DataInput& in) {
  IntRead r{IntStatus::AtEnd, 0, {}};
  if (in.failed) return r;
  skipBlanks(in);
  if (peekByte(in) < 0) {
    in.failed = true;
    return r;
  }
  // Find where the digits start and which base they are in, looking ahead
  // without consuming, so that nothing is taken when there is no digit.
  size_t at = 0;
  int c = peekAhead(in, 0);
  if (c == '+' || c == '-') c = peekAhead(in, ++at);
  int base = 10;
  uint8_t digitClass = charclass::kDecimal;
  if (c == '0') {
    int x = peekAhead(in, at + 1);
    int h = peekAhead(in, at + 2);
    if ((x == 'x' || x == 'X') && h >= 0 &&
        (charclass::kTable.bits[h] & charclass::kHex)) {
      base = 16;
      digitClass = charclass::kHex;
      at += 2;
    } else {
      base = 8;
      digitClass = charclass::kOctal;
    }
  } else if (c < 0 || !(charclass::kTable.bits[c] & charclass::kDecimal)) {
    r.status = IntStatus::NoDigits;
    in.failed = true;
    return r;
  }
  bool negative = *in.p == '-';
  // Take the sign, the prefix and the digits, keeping the text as written.
  size_t len = 0;
  int64_t value = 0;
  for (size_t i = 0;; ++i) {
    int d = peekByte(in);
    if (i >= at && (d < 0 || !(charclass::kTable.bits[d] & digitClass))) break;
    if (len < LABELSIZE - 1) r.written[len] = static_cast<char>(d);
    ++len;
    ++in.p;
    if (len > 15) {
      // Refused as written: keep reading only as far as the quote shows.
      if (len == LABELSIZE - 1) break;
      continue;
    }
    if (i >= at) {
      int digit = d <= '9' ? d - '0' : (d | 0x20) - 'a' + 10;
      value = value * base + digit;  // at most 15 characters: no overflow
    }
  }
  r.written[len < LABELSIZE - 1 ? len : LABELSIZE - 1] = '\0';
  if (len > 15) {
    r.status = IntStatus::TooLong;
    return r;
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) {
    r.status = IntStatus::OutOfRange;
    return r;
  }
  r.status = IntStatus::Got;
  r.value = static_cast<int32_t>(value);
  return r;
}

int readSingleCharSlow(DataInput& in) {
  if (in.failed) return -1;
  skipBlanks(in);
  if (in.p == in.end) {
    in.failed = true;
    return -1;
  }
  return *in.p++;
}

int readNextChar(DataInput& in) {
  if (in.failed) return -1;
  int c = peekByte(in);
  if (c < 0) {
    in.failed = true;
    return -1;
  }
  ++in.p;
  return c;
}
