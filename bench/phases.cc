// Times the two halves of one run on a data file: reading it into the record,
// and estimating (tables, search and standard error).  Prints the result
// line the program would print, so it can be checked against the program.
//
//   vurn_phases [--plain] FILE
// prints "read SECONDS" and "estimate SECONDS" lines after the result.  With
// --plain the estimate uses the plain loops that divide once per copy, to
// check the program's result against them.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <cmath>
#include <cstring>

#include "app/console.h"
#include "app/driver.h"
#include "estimate/bisection.h"
#include "estimate/tables.h"
#include "input/data_file.h"
#include "input/sample_data.h"
#include "reference_score.h"

namespace {

// The driver's estimate step with the plain loops in place of the score and
// variance.
void reportPlainEstimate(Console& con, const SampleData& d) {
  static AlleleFreqTable freq;
  static SampleSizeTable sizes;
  buildAlleleFreqTable(d, freq);
  buildSampleSizeTable(d, sizes);
  float theta;
  if (!bisectRoot(referenceThetaScore, kThetaLow, kThetaHigh, kThetaTolerance, d,
                  sizes, freq, con, &theta))
    return;
  writeOut(con, "\nEstimate of theta: " + formatNumber(theta));
  const double se = std::sqrt(referenceThetaVariance(theta, d, sizes, freq));
  writeOut(con, " standard error: " + formatNumber(se));
}

}  // namespace

int main(int argc, char** argv) {
  const bool plain = argc == 3 && std::strcmp(argv[1], "--plain") == 0;
  if (argc != 2 && !plain) {
    std::fprintf(stderr, "usage: vurn_phases [--plain] FILE\n");
    return 2;
  }
  const char* fileName = argv[argc - 1];
  FILE* devnull = std::fopen("/dev/null", "w");
  Console quiet{stdin, devnull, stderr};
  Console shown{stdin, stdout, stderr};
  SampleData* rec = newSampleData();
  if (!rec) return 1;
  using Clock = std::chrono::steady_clock;
  auto t0 = Clock::now();
  if (!readDataFile(fileName, *rec, quiet)) return 1;
  auto t1 = Clock::now();
  if (plain)
    reportPlainEstimate(shown, *rec);
  else
    reportEstimate(shown, *rec);
  std::fflush(stdout);
  auto t2 = Clock::now();
  std::printf("\nread %.6f\nestimate %.6f\n",
              std::chrono::duration<double>(t1 - t0).count(),
              std::chrono::duration<double>(t2 - t1).count());
  freeSampleData(rec);
  return 0;
}
