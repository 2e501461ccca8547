// The quit prompt: the one way the program ends.
#pragma once

#include "app/console.h"

// Exit status of every run, whether it ended with a result or an error.
constexpr int kExitStatus = 8;

// Writes the prompt on standard error and reads words until one is "quit",
// writing the prompt again before each further word.  Returns when the word
// quit arrives or standard input ends or fails (never prompting again then).
void runQuitPrompt(Console& con);

// runQuitPrompt, then ends the process with status 8.  Never returns.
[[noreturn]] void waitForQuit(Console& con);
