// Entry of the vurn program.  Command-line arguments are ignored.
#include <csignal>
#include <ctime>

#include "app/console.h"
#include "app/driver.h"
#include "app/quit_prompt.h"

int main() {
  // A closed or broken standard output must not end the run early: the
  // writes simply fail, and the run still ends at the quit prompt.
  std::signal(SIGPIPE, SIG_IGN);
  std::time_t t = std::time(nullptr);
  std::tm now{};
  localtime_r(&t, &now);
  Console con = standardConsole();
  runAnalysis(con, now);
  waitForQuit(con);
}
