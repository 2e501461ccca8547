// Console streams, word reading and the console's number and date formats.
#include "app/console.h"

#include <cmath>
#include <cstring>

#include "input/char_class.h"

Console standardConsole() { return Console{stdin, stdout, stderr}; }

void writeOut(Console& con, const char* text, size_t len) {
  std::fwrite(text, 1, len, con.out);
}
void writeOut(Console& con, const char* text) {
  writeOut(con, text, std::strlen(text));
}
void writeOut(Console& con, const std::string& text) {
  writeOut(con, text.data(), text.size());
}

void writeErr(Console& con, const char* text, size_t len) {
  std::fflush(con.out);
  std::fwrite(text, 1, len, con.err);
  std::fflush(con.err);
}
void writeErr(Console& con, const char* text) {
  writeErr(con, text, std::strlen(text));
}
void writeErr(Console& con, const std::string& text) {
  writeErr(con, text.data(), text.size());
}

// Skips whitespace; returns the first character of the word or EOF.
static int startWord(Console& con) {
  std::fflush(con.out);
  int c;
  do {
    c = std::getc(con.in);
  } while (c != EOF && isBlank(c));
  return c;
}

bool readWord(Console& con, std::string& word, size_t limit) {
  word.clear();
  int c = startWord(con);
  while (c != EOF && !isBlank(c)) {
    if (word.size() <= limit) word.push_back(static_cast<char>(c));
    c = std::getc(con.in);
  }
  if (c != EOF) std::ungetc(c, con.in);
  return !word.empty();
}

WordMatch readWordMatching(Console& con, const char* expected) {
  int c = startWord(con);
  if (c == EOF) return WordMatch::NoInput;
  size_t n = std::strlen(expected);
  size_t i = 0;
  bool same = true;
  while (c != EOF && !isBlank(c)) {
    if (i >= n || static_cast<unsigned char>(expected[i]) != c) same = false;
    ++i;
    c = std::getc(con.in);
  }
  if (c != EOF) std::ungetc(c, con.in);
  return same && i == n ? WordMatch::Match : WordMatch::Other;
}

std::string formatDateLine(const std::tm& t) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed",
                                      "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr",
                                        "May", "Jun", "Jul", "Aug",
                                        "Sep", "Oct", "Nov", "Dec"};
  char line[64];
  std::snprintf(line, sizeof line, "%s %s %02d %02d:%02d:%02d %04d\n",
                kDays[((t.tm_wday % 7) + 7) % 7],
                kMonths[((t.tm_mon % 12) + 12) % 12], t.tm_mday, t.tm_hour,
                t.tm_min, t.tm_sec, t.tm_year + 1900);
  return line;
}

std::string formatNumber(double value) {
  if (value == 0) return "0";  // both zeros
  // %.6g already rounds to six significant digits, chooses the plain or the
  // exponent form from the rounded exponent and drops trailing zeros; only
  // the exponent needs widening to three digits.
  char text[64];
  std::snprintf(text, sizeof text, "%.6g", value);
  std::string s = text;
  size_t e = s.find('e');
  if (e == std::string::npos || !std::isfinite(value)) return s;
  size_t digits = e + 2;  // after the exponent's sign
  while (s.size() - digits < 3) s.insert(digits, "0");
  return s;
}
