// The console streams and the rules that keep them in program order:
// standard output is flushed before every read from standard input and
// before every write to standard error; standard error is flushed after
// every write.  Also the console's own formats: the date line and numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

struct Console {
  FILE* in;
  FILE* out;
  FILE* err;
};

// The process's own standard streams.
Console standardConsole();

// Writes to standard output (buffered).
void writeOut(Console& con, const char* text, size_t len);
void writeOut(Console& con, const char* text);
void writeOut(Console& con, const std::string& text);

// Writes to standard error: flushes standard output first and standard
// error after, so both streams land in program order.
void writeErr(Console& con, const char* text, size_t len);
void writeErr(Console& con, const char* text);
void writeErr(Console& con, const std::string& text);

// Reads one word from standard input after flushing standard output:
// leading whitespace (empty lines included) is skipped, the word runs to
// the next whitespace character, which stays unread.  Returns false when the
// input ends or fails before a word starts; `word` is then left empty.
// A word longer than `limit` is still read to its end, but `word` keeps only
// its first limit + 1 characters: enough to tell that it was too long, and
// no endless input can make it grow without bound.
bool readWord(Console& con, std::string& word, size_t limit = SIZE_MAX);

enum class WordMatch { NoInput, Match, Other };

// Like readWord, but compares the word with `expected` as it is read and
// keeps nothing, so a word of any length costs no memory.
WordMatch readWordMatching(Console& con, const char* expected);

// The date line: "Sun Aug 23 09:05:07 1998\n", English names, every field
// zero-padded.
std::string formatDateLine(const std::tm& local);

// General notation with six significant digits and a three-digit exponent:
// 0.5, 1234.57, 1e+006, 1.23457e+006, 1e-005.
std::string formatNumber(double value);
