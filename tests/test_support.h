// Helpers for in-process tests: a console whose streams are temporary files.
#pragma once

#include <string>

#include "app/console.h"
#include "input/sample_data.h"

// A console reading `input` and capturing what is written.  With `combined`
// standard output and standard error share one stream, so the capture shows
// their interleaving.
class CapturedConsole {
 public:
  explicit CapturedConsole(const std::string& input = "", bool combined = false);
  ~CapturedConsole();
  CapturedConsole(const CapturedConsole&) = delete;
  CapturedConsole& operator=(const CapturedConsole&) = delete;

  Console con;
  std::string out();       // everything written to standard output
  std::string err();       // everything written to standard error
  std::string unread();    // what standard input still holds

 private:
  bool combined_;
};

// A zero-filled record that frees itself.
struct Record {
  Record();
  ~Record();
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;
  SampleData* d;
  SampleData& operator*() { return *d; }
  SampleData* operator->() { return d; }
};

// What reading a data file from text printed, and whether it was accepted.
struct ReadResult {
  bool ok;
  std::string out;
  std::string err;
};

// Reads `text` as the data file data.nex into `rec`.
ReadResult readDataText(const std::string& text, SampleData& rec);

// Writes `contents` to a new temporary file and returns its path.
std::string writeTempFile(const std::string& contents);

// Reads a whole file; used for the example data files.
std::string readFileText(const std::string& path);
