// Tests of the run sequence in-process: what is written, in which order,
// for a result and for each way the run can stop early.
#include "app/driver.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

const char kBanner[] =
    "VURN\nRelease 2.0 for Windows 95/NT (23/08/98) \n"
    "Sun Aug 23 09:05:07 1998\nEnter name of input file: ";

std::tm fixedTime() {
  std::tm t{};
  t.tm_year = 98;
  t.tm_mon = 7;
  t.tm_mday = 23;
  t.tm_hour = 9;
  t.tm_min = 5;
  t.tm_sec = 7;
  return t;
}

TEST(Driver, ResultLineAfterTheSummary) {
  std::string path =
      std::string(VURN_SOURCE_DIR) + "/examples/two_populations.nex";
  CapturedConsole c(path + " quit", /*combined=*/true);
  runAnalysis(c.con, fixedTime());
  EXPECT_EQ(c.out(),
            std::string(kBanner) + "Opening NEXUS data file " + path +
                "\nReading VURN 2.0 data format"
                "\nData matrix has 2 populations, 1 loci, and 8 individuals"
                "\nMissing data represented by the symbol ?"
                "\nAll loci haploid."
                "\nEstimate of theta: 1.15104 standard error: 1.79427");
  // The rest of the line waits for the quit prompt.
  EXPECT_EQ(c.unread(), " quit");
}

TEST(Driver, NoFileName) {
  CapturedConsole c("  \n\n", /*combined=*/true);
  runAnalysis(c.con, fixedTime());
  EXPECT_EQ(c.out(), std::string(kBanner) + "\nError: no input file name given");
}

// A name is taken whole up to the longest path the system accepts; a longer
// one is read to its end and refused, so no endless input is ever stored.
TEST(Driver, FileNameLength) {
  const std::string longest(4095, 'n');
  const std::string tooLong(1 << 20, 'n');
  CapturedConsole fits(longest + " quit");
  runAnalysis(fits.con, fixedTime());
  EXPECT_EQ(fits.err(),
            "\nError: could not open input file \"" + longest + "\"\n");
  CapturedConsole refused(tooLong + " quit");
  runAnalysis(refused.con, fixedTime());
  EXPECT_EQ(refused.err(), "\nError: file name longer than 4095 characters");
  EXPECT_EQ(refused.unread(), " quit");
}

TEST(Driver, SearchMessageEndsTheRun) {
  std::string path = writeTempFile(
      "#nexus begin vurndata; dimensions npops=2 nloci=1;\n"
      "format haploid missing=?; locusallelelabels 1 x;\n"
      "matrix a: i A i B, b: i A i B; end;");
  CapturedConsole c(path);
  runAnalysis(c.con, fixedTime());
  EXPECT_EQ(c.err(),
            "\nEstimate of theta is not within interval 0.00001 to 10000");
  EXPECT_EQ(c.out().find("Estimate of theta:"), std::string::npos);
  std::remove(path.c_str());
}

}  // namespace
