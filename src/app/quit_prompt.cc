// The quit prompt loop and process termination.
#include "app/quit_prompt.h"

#include <cstdlib>

void runQuitPrompt(Console& con) {
  static const char kPrompt[] = "\ntype \"quit\" to close program>>  ";
  for (;;) {
    writeErr(con, kPrompt, sizeof kPrompt - 1);
    // A reply is compared whole, however long; nothing else is printed for
    // a reply that is not quit.
    if (readWordMatching(con, "quit") != WordMatch::Other) return;
  }
}

void waitForQuit(Console& con) {
  runQuitPrompt(con);
  // exit() writes out whatever standard output still holds.
  std::exit(kExitStatus);
}
