// Counting a word in captured output, for tests that check how many
// messages or prompts a run wrote.
#pragma once

#include <cstddef>
#include <string>

// How many times `word` (not empty) stands in `text`, overlaps included.
inline size_t occurrences(const std::string& text, const std::string& word) {
  size_t n = 0;
  for (size_t at = text.find(word); at != std::string::npos;
       at = text.find(word, at + 1))
    ++n;
  return n;
}
