// A data file cut short, as mail or a full disk leaves it: every prefix of
// the example files, run through the reader and the estimate in-process.
#include <gtest/gtest.h>

#include <string>

#include "app/driver.h"
#include "input/data_file.h"
#include "test_support.h"
#include "text_count.h"

namespace {

// Each prefix short of the closing "end;" is refused with exactly one
// message; from there on the block is read whole and the estimate runs.
TEST(TruncatedFile, EveryPrefixOfTheExamplesGetsOneMessage) {
  for (const char* name :
       {"haploid.nex", "diploid.nex", "two_populations.nex"}) {
    const std::string text =
        readFileText(std::string(VURN_SOURCE_DIR) + "/examples/" + name);
    const size_t complete = text.find("end;") + 4;
    for (size_t n = 0; n <= text.size(); ++n) {
      SCOPED_TRACE(std::string(name) + " cut after " + std::to_string(n) +
                   " bytes");
      Record rec;
      CapturedConsole c;
      bool read = readDataBytes(
          "cut.nex", reinterpret_cast<const unsigned char*>(text.data()), n,
          *rec, c.con);
      EXPECT_EQ(read, n >= complete);
      if (read) {
        reportEstimate(c.con, *rec);
        EXPECT_EQ(occurrences(c.err(), "Error"), 0u) << c.err();
        EXPECT_NE(c.out().find("\nAll loci "), std::string::npos);
      } else {
        EXPECT_EQ(c.err().rfind("\nError: ", 0), 0u) << c.err();
        EXPECT_EQ(occurrences(c.err(), "Error"), 1u) << c.err();
        EXPECT_EQ(c.out().find("\nData matrix has"), std::string::npos);
      }
    }
  }
}

}  // namespace
