// Character classes shared by the data file reader and the console: one
// 256-entry table instead of a chain of comparisons on the hot path.
#pragma once

#include <cstdint>

namespace charclass {

constexpr uint8_t kBlank = 1;   // space, \t, \n, \v, \f, \r
constexpr uint8_t kOctal = 2;   // 0-7
constexpr uint8_t kDecimal = 4; // 0-9
constexpr uint8_t kHex = 8;     // 0-9, a-f, A-F

struct Table {
  uint8_t bits[256];
};

constexpr Table makeTable() {
  Table t{};
  const char blanks[] = {' ', '\t', '\n', '\v', '\f', '\r'};
  for (char c : blanks) t.bits[static_cast<unsigned char>(c)] |= kBlank;
  for (int c = '0'; c <= '9'; ++c) t.bits[c] |= kDecimal | kHex;
  for (int c = '0'; c <= '7'; ++c) t.bits[c] |= kOctal;
  for (int c = 'a'; c <= 'f'; ++c) t.bits[c] |= kHex;
  for (int c = 'A'; c <= 'F'; ++c) t.bits[c] |= kHex;
  return t;
}

inline constexpr Table kTable = makeTable();

}  // namespace charclass

// True for the six blank characters; c is a byte value 0..255.
inline bool isBlank(int c) { return charclass::kTable.bits[c] & charclass::kBlank; }
