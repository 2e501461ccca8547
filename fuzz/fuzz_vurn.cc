// libFuzzer target: one whole run of the program on arbitrary bytes taken as
// the data file.  Reads the bytes into a fresh record, builds the tables,
// searches for theta, prints the result line and runs the quit prompt fed
// with a fixed reply.  Besides the sanitizers, it checks what the user would
// see on standard error: one message when the file is refused, none when it
// is read, and the prompt exactly twice for the reply "no quit".
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/console.h"
#include "app/driver.h"
#include "app/quit_prompt.h"
#include "input/data_file.h"
#include "input/sample_data.h"

namespace {

char replyText[] = "no quit\n";
char errText[1 << 16];  // standard error of one run
const char kPrompt[] = "\ntype \"quit\" to close program>>  ";

Console& console() {
  static Console con = [] {
    Console c;
    c.in = fmemopen(replyText, sizeof replyText - 1, "r");
    c.out = std::fopen("/dev/null", "w");
    c.err = fmemopen(errText, sizeof errText, "w");
    if (!c.in || !c.out || !c.err) std::abort();
    return c;
  }();
  return con;
}

[[noreturn]] void fault(const char* what) {
  std::fprintf(stderr, "fuzz_vurn: %s\n", what);
  std::abort();
}

bool startsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Console& con = console();
  std::rewind(con.in);
  std::rewind(con.err);
  std::memset(errText, 0, sizeof errText);

  SampleData* rec = newSampleData();
  if (!rec) fault("no record");
  bool read = readDataBytes("fuzz.nex", data, size, *rec, con);
  long afterRead = std::ftell(con.err);
  if (read && afterRead != 0) fault("a message for a file that was read");
  if (!read && !(startsWith(errText, "\nError: ") ||
                 startsWith(errText, "Error: incorrect separator ")))
    fault("a refused file without its message");

  long afterSearch = afterRead;
  if (read) {
    reportEstimate(con, *rec);
    afterSearch = std::ftell(con.err);
    if (afterSearch != 0 && errText[0] != '\n')
      fault("a search message without its line feed");
  }
  freeSampleData(rec);

  runQuitPrompt(con);
  long afterQuit = std::ftell(con.err);
  const long promptLen = sizeof kPrompt - 1;
  if (afterQuit - afterSearch != 2 * promptLen ||
      std::memcmp(errText + afterSearch, kPrompt, promptLen) != 0 ||
      std::memcmp(errText + afterSearch + promptLen, kPrompt, promptLen) != 0)
    fault("the quit prompt did not run twice for the reply \"no quit\"");
  return 0;
}
