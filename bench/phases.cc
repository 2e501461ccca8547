// Times the two halves of one run on a data file: reading it into the record,
// and estimating (tables, search and standard error).  Prints the result
// line the program would print, so it can be checked against the program.
//
//   vurn_phases FILE
// prints "read SECONDS" and "estimate SECONDS" lines after the result.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/console.h"
#include "app/driver.h"
#include "input/data_file.h"
#include "input/sample_data.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vurn_phases FILE\n");
    return 2;
  }
  FILE* devnull = std::fopen("/dev/null", "w");
  Console quiet{stdin, devnull, stderr};
  Console shown{stdin, stdout, stderr};
  SampleData* rec = newSampleData();
  if (!rec) return 1;
  using Clock = std::chrono::steady_clock;
  auto t0 = Clock::now();
  if (!readDataFile(argv[1], *rec, quiet)) return 1;
  auto t1 = Clock::now();
  reportEstimate(shown, *rec);
  std::fflush(stdout);
  auto t2 = Clock::now();
  std::printf("\nread %.6f\nestimate %.6f\n",
              std::chrono::duration<double>(t1 - t0).count(),
              std::chrono::duration<double>(t2 - t1).count());
  freeSampleData(rec);
  return 0;
}
