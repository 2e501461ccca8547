// The program's one fixed run: banner and date line, the file name, the
// record, the data file, the tables, the estimate and its standard error.
#pragma once

#include <ctime>

#include "app/console.h"
#include "input/sample_data.h"

// Runs everything up to the quit prompt and returns when the prompt is due:
// after the result line, or after the message of whatever failed.  `now` is
// the local time shown in the date line.
void runAnalysis(Console& con, const std::tm& now);

// The steps after a successful read: builds the tables, searches for theta
// and prints the result line, or the search's message when it fails.
void reportEstimate(Console& con, const SampleData& d);
