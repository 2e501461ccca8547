// The run sequence of the program.
#include "app/driver.h"

#include <climits>
#include <cmath>
#include <memory>
#include <string>

#include "estimate/bisection.h"
#include "estimate/score.h"
#include "estimate/tables.h"
#include "input/data_file.h"
#include "input/sample_data.h"

namespace {

// The longest file name the system accepts; no file has a longer one.
constexpr size_t kMaxFileName = PATH_MAX - 1;

struct RecordDeleter {
  void operator()(SampleData* d) const { freeSampleData(d); }
};

}  // namespace

void reportEstimate(Console& con, const SampleData& d) {
  AlleleFreqTable freq;
  SampleSizeTable sizes;
  buildAlleleFreqTable(d, freq);
  buildSampleSizeTable(d, sizes);
  float theta;
  if (!bisectRoot(thetaScore, kThetaLow, kThetaHigh, kThetaTolerance, d, sizes,
                  freq, con, &theta))
    return;
  // theta widens exactly to double: its digits are the single-precision
  // value's.
  writeOut(con, "\nEstimate of theta: " + formatNumber(theta));
  double se = std::sqrt(thetaVariance(theta, d, sizes, freq));
  writeOut(con, " standard error: " + formatNumber(se));
}

void runAnalysis(Console& con, const std::tm& now) {
  writeOut(con, "VURN\nRelease 2.0 for Windows 95/NT (23/08/98) \n");
  writeOut(con, formatDateLine(now));
  writeOut(con, "Enter name of input file: ");
  std::string fileName;  // used whole, up to the longest path there can be
  if (!readWord(con, fileName, kMaxFileName)) {
    writeErr(con, "\nError: no input file name given");
    return;
  }
  if (fileName.size() > kMaxFileName) {
    writeErr(con, "\nError: file name longer than " +
                      std::to_string(kMaxFileName) + " characters");
    return;
  }
  std::unique_ptr<SampleData, RecordDeleter> record(newSampleData());
  if (!record) {
    writeOut(con, "\nMemory allocation error. Try adjusting MAX* values.");
    return;
  }
  if (!readDataFile(fileName.c_str(), *record, con)) return;
  reportEstimate(con, *record);
}
