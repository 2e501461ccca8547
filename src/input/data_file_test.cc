// The header of the vurndata block: header word, block name, dimensions,
// format command and locus labels, the messages that refuse them, and
// opening the file by name.
#include "input/data_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/data_input.h"
#include "test_support.h"

namespace {

const std::string kOpen = "Opening NEXUS data file data.nex";
const std::string kReading = kOpen + "\nReading VURN 2.0 data format";

// The pieces of a valid file of one population and two loci.
const std::string kBegin = "#nexus\nbegin vurndata;\n";
const std::string kDims = "dimensions npops=1 nloci=2;\n";
const std::string kFormat = "format haploid missing=?;\n";
const std::string kLabels = "locusallelelabels\n1 adh, 2 pgm;\n";
const std::string kMatrix = "matrix\np: i AB;\nend;\n";

const std::string kTooLongStart =
    "\nError: text longer than 65536 characters, starting ";

struct FailCase {
  const char* name;
  std::string text;
  std::string out;
  std::string err;
};

TEST(DataFileHeader, RefusedFiles) {
  const std::string x40(40, 'x');
  const FailCase cases[] = {
      // The header word.
      {"empty file", "", "", "\nError: not a nexus format file!"},
      {"blanks only", " \n\t\r\n\v\f", "", "\nError: not a nexus format file!"},
      {"header word in capitals", "#NEXUS\nbegin vurndata;", "",
       "\nError: not a nexus format file!#NEXUS"},
      {"header word with its punctuation", "#nexus; begin vurndata;", "",
       "\nError: not a nexus format file!#nexus;"},
      // A first word too long for any text is no header word either.
      {"NUL bytes, more than any text", std::string(70000, '\0'), "",
       "\nError: not a nexus format file!"},
      {"binary word, more than any text", std::string(70000, '\x80'), "",
       "\nError: not a nexus format file!" + std::string(LABELSIZE - 1, '\x80')},
      // begin and the block name.
      {"begin in capitals", "#nexus\nBEGIN vurndata;", kOpen,
       "\nError: incorrect input at BEGIN"},
      {"blank before the block's semicolon", "#nexus begin vurndata ;", kOpen,
       "\nError: block type vurndat cannot be used with this program"},
      {"block of another name", "#nexus begin trees;", kOpen,
       "\nError: block type trees cannot be used with this program"},
      {"file ends after begin", "#nexus begin", kOpen,
       "\nError: block type begi cannot be used with this program"},
      {"long block name", "#nexus begin vurndata;" + x40, kOpen,
       "\nError: block type vurndata;" + x40.substr(0, 30) +
           " cannot be used with this program"},
      // The dimensions command.
      {"dimensions misspelt", kBegin + "dimension npops=1 nloci=2;", kReading,
       "\nError: incorrect input at dimension"},
      {"keyword compared whole", kBegin + "dimensions" + x40, kReading,
       "\nError: incorrect input at dimensions" + x40.substr(0, 29)},
      {"unknown dimension key", kBegin + "dimensions npops=1 ntaxa=2;",
       kReading, "\nError: incorrect input at ntaxa"},
      {"blank before =", kBegin + "dimensions npops =1 nloci=2;", kReading,
       "\nError: incorrect input at npops "},
      {"blank before the closing ;",
       kBegin + "dimensions npops=1 nloci=2 ;\n" + kFormat, kReading,
       "\nError: incorrect input at ;"},
      {"one dimension missing", kBegin + "dimensions npops=1;\n" + kFormat,
       kReading, "\nError: incorrect input at ;\nformat haploid missing"},
      {"dimension given twice", kBegin + "dimensions npops=1 npops=2;",
       kReading, "\nError: npops given twice in the dimensions command"},
      {"no populations", kBegin + "dimensions npops=0 nloci=2;", kReading,
       "\nError: npops must be from 1 to 99, not 0"},
      {"100 loci", kBegin + "dimensions npops=1 nloci=100;", kReading,
       "\nError: nloci must be from 1 to 99, not 100"},
      {"100 populations in octal", kBegin + "dimensions npops=0144 nloci=1;",
       kReading, "\nError: npops must be from 1 to 99, not 100"},
      {"negative loci", kBegin + "dimensions nloci=-1 npops=1;", kReading,
       "\nError: nloci must be from 1 to 99, not -1"},
      {"dimension not a number", kBegin + "dimensions npops=two nloci=2;",
       kReading, "\nError: npops must be a whole number from 1 to 99"},
      {"file ends after =", kBegin + "dimensions npops=1 nloci=", kReading,
       "\nError: nloci must be a whole number from 1 to 99"},
      {"dimension beyond 32 bits", kBegin + "dimensions npops=4294967298;",
       kReading, "\nError: number out of range at 4294967298"},
      {"dimension of 16 characters",
       kBegin + "dimensions npops=0000000000000001;", kReading,
       "\nError: number longer than 15 characters at 0000000000000001"},
      {"file ends after the dimensions keyword", kBegin + "dimensions\n",
       kReading, "\nError: incorrect input at "},
      // The last key field read stays in the token buffer to be quoted.
      {"file ends after the dimensions command", kBegin + kDims, kReading,
       "\nError: incorrect input at nloci"},
      // The format command.
      {"format misspelt", kBegin + kDims + "formats haploid missing=?;",
       kReading, "\nError: incorrect input at formats"},
      {"unknown ploidy", kBegin + kDims + "format triploid missing=?;",
       kReading, "\nError: incorrect input at triploid"},
      {"format without a pair", kBegin + kDims + "format haploid;\n" + kLabels,
       kReading, "\nError: incorrect input at haploid;"},
      {"unknown format key", kBegin + kDims + "format haploid gap=-;",
       kReading, "\nError: incorrect input at gap"},
      {"format value too long",
       kBegin + kDims + "format haploid missing=" +
           std::string(MAXTEXTLENGTH + 1, '?'),
       kReading, kTooLongStart + std::string(LABELSIZE - 1, '?')},
      {"diploid without a separator",
       kBegin + kDims + "format diploid missing=?;\n" + kLabels +
           "matrix\np: i A/A B/B;\nend;\n",
       kReading,
       "\nError: diploid data need a separator symbol in the format command"},
      {"file ends after the format command", kBegin + kDims + kFormat,
       kReading, "\nError: incorrect input at missing"},
      // The locus labels.
      {"locusallelelabels misspelt",
       kBegin + kDims + kFormat + "locuslabels 1 adh, 2 pgm;", kReading,
       "\nError: incorrect input at locuslabels"},
      {"wrong index", kBegin + kDims + kFormat + "locusallelelabels 1 adh, 3 pgm;",
       kReading, "\nError: incorrect input at 3"},
      {"first index not a number",
       kBegin + kDims + kFormat + "locusallelelabels adh, 2 pgm;", kReading,
       "\nError: incorrect input at 0"},
      {"second index not a number",
       kBegin + kDims + kFormat + "locusallelelabels 1 adh, pgm;", kReading,
       "\nError: incorrect input at 0"},
      {"index of 16 characters",
       kBegin + kDims + kFormat + "locusallelelabels 0000000000000001 adh,",
       kReading,
       "\nError: number longer than 15 characters at 0000000000000001"},
      {"too few labels",
       kBegin + "dimensions npops=1 nloci=3;\n" + kFormat + kLabels + kMatrix,
       kReading, "\nError: too few labels for loci."},
      {"too few labels, long label",
       kBegin + kDims + kFormat + "locusallelelabels 1 " + x40 + ";\n" +
           kMatrix,
       kReading, "\nError: too few labels for loci."},
      {"file ends before the first index",
       kBegin + kDims + kFormat + "locusallelelabels\n", kReading,
       "\nError: incorrect input at 0"},
      {"file ends after a label before the last",
       kBegin + "dimensions npops=1 nloci=3;\n" + kFormat +
           "locusallelelabels 1 adh, 2 pgm,",
       kReading, "\nError: incorrect input at 2"},
      // The buffer keeps the stored label, less its last character: an early
      // ";" left in it is still found when the file ends.
      {"file ends after a label whose ; came early",
       kBegin + "dimensions npops=1 nloci=3;\n" + kFormat +
           "locusallelelabels 1 a;, 2",
       kReading, "\nError: too few labels for loci."},
      {"file ends after a long label whose ; came early",
       kBegin + "dimensions npops=1 nloci=3;\n" + kFormat +
           "locusallelelabels 1 " + x40 + ";, 2",
       kReading, "\nError: too few labels for loci."},
      // The label is quoted as stored, without its last character.
      {"file ends after the labels", kBegin + kDims + kFormat + kLabels,
       kReading, "\nError: incorrect input at pgm"},
      {"more labels than loci",
       kBegin + "dimensions npops=1 nloci=1;\n" + kFormat + kLabels + kMatrix,
       kReading, "\nError: incorrect input at 2"},
      // Tokens beyond the length limit.
      {"token too long", "#nexus begin " + std::string(MAXTEXTLENGTH + 1, 'v'),
       kOpen, kTooLongStart + std::string(LABELSIZE - 1, 'v')},
  };
  for (const FailCase& c : cases) {
    SCOPED_TRACE(c.name);
    Record rec;
    ReadResult r = readDataText(c.text, *rec);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(c.out, r.out);
    EXPECT_EQ(c.err, r.err);
  }
}

struct GoodCase {
  const char* name;
  std::string header;  // the dimensions, format and locus-label commands
  std::vector<std::string> labels;
  std::string summary;  // printed after the progress lines
};

TEST(DataFileHeader, AcceptedVariants) {
  const std::string counts =
      "\nData matrix has 1 populations, 2 loci, and 1 individuals";
  const std::string missingQ = "\nMissing data represented by the symbol ?";
  const std::string haploid = "\nAll loci haploid.";
  const std::string x50(50, 'x');
  const GoodCase cases[] = {
      {"dimensions in the other order, blanks after =",
       "dimensions nloci= 2 npops=\n1;\n" + kFormat + kLabels,
       {"adh", "pgm"}, counts + missingQ + haploid},
      {"octal and hexadecimal dimensions",
       "dimensions npops=01 nloci=0x2;\n" + kFormat + kLabels, {"adh", "pgm"},
       counts + missingQ + haploid},
      {"dimension of 15 characters",
       "dimensions npops=000000000000001 nloci=2;\n" + kFormat + kLabels,
       {"adh", "pgm"}, counts + missingQ + haploid},
      {"index written against its label",
       kDims + kFormat + "locusallelelabels 1adh, 2pgm;\n", {"adh", "pgm"},
       counts + missingQ + haploid},
      {"label without its comma loses its last letter",
       kDims + kFormat + "locusallelelabels 1 adh 2 pgm;\n", {"ad", "pgm"},
       counts + missingQ + haploid},
      {"last label ends in any character",
       kDims + kFormat + "locusallelelabels 1 adh, 2 pgm.\n", {"adh", "pgm"},
       counts + missingQ + haploid},
      {"long label keeps 38 characters",
       kDims + kFormat + "locusallelelabels 1 " + x50 + ", 2 pgm;\n",
       {x50.substr(0, LABELSIZE - 2), "pgm"}, counts + missingQ + haploid},
      {"blank after = and a value of several characters",
       kDims + "format haploid missing= ?x;\n" + kLabels, {"adh", "pgm"},
       counts + missingQ + haploid},
      {"a key given twice keeps its later symbol",
       kDims + "format haploid missing=- missing=?;\n" + kLabels,
       {"adh", "pgm"}, counts + missingQ + haploid},
      {"datapoint ends the command and changes nothing",
       kDims + "format haploid missing=? datapoint=standard;\n" + kLabels,
       {"adh", "pgm"}, counts + missingQ + haploid},
      {"no missing key: no missing line",
       kDims + "format haploid datapoint=standard;\n" + kLabels,
       {"adh", "pgm"}, counts + haploid},
      {"a value of ; alone gives the NUL symbol",
       kDims + "format haploid missing=;\n" + kLabels, {"adh", "pgm"},
       counts + "\nMissing data represented by the symbol " +
           std::string(1, '\0') + haploid},
      {"a separator in a haploid file is printed",
       kDims + "format haploid separator=/;\n" + kLabels, {"adh", "pgm"},
       counts + "\nDifferent genes at one locus separated by the symbol /" +
           haploid},
      {"a long value ending with ; ends the command",
       kDims + "format haploid missing=?" + x50 + ";\n" + kLabels,
       {"adh", "pgm"}, counts + missingQ + haploid},
  };
  for (const GoodCase& c : cases) {
    SCOPED_TRACE(c.name);
    Record rec;
    ReadResult r = readDataText(kBegin + c.header + kMatrix, *rec);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(kReading + c.summary, r.out);
    EXPECT_EQ("", r.err);
    EXPECT_EQ(1, rec->npops);
    EXPECT_EQ(2, rec->nloci);
    for (size_t l = 1; l <= c.labels.size(); ++l)
      EXPECT_EQ(c.labels[l - 1], rec->locusLabel[l]) << "locus " << l;
  }
}

const std::string kHaploidSummary =
    "\nReading VURN 2.0 data format"
    "\nData matrix has 2 populations, 3 loci, and 5 individuals"
    "\nMissing data represented by the symbol ?"
    "\nAll loci haploid.";

// The worked example, opened by name.
TEST(ReadDataFile, WorkedHaploidExample) {
  const std::string path = VURN_SOURCE_DIR "/examples/haploid.nex";
  CapturedConsole cc;
  Record rec;
  EXPECT_TRUE(readDataFile(path.c_str(), *rec, cc.con));
  EXPECT_EQ("Opening NEXUS data file " + path + kHaploidSummary, cc.out());
  EXPECT_EQ("", cc.err());
  EXPECT_EQ(2, rec->npops);
  EXPECT_EQ(3, rec->nloci);
  EXPECT_STREQ("adh", rec->locusLabel[1]);
  EXPECT_STREQ("pgm", rec->locusLabel[2]);
  EXPECT_STREQ("est", rec->locusLabel[3]);
}

// Line ends of a carriage return and a line feed are blanks like the others.
TEST(DataFileHeader, CarriageReturnLineEnds) {
  std::string text = readFileText(VURN_SOURCE_DIR "/examples/haploid.nex");
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  Record rec;
  ReadResult r = readDataText(crlf, *rec);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(kOpen + kHaploidSummary, r.out);
  EXPECT_EQ("", r.err);
  EXPECT_STREQ("est", rec->locusLabel[3]);
}

TEST(ReadDataFile, NameThatCannotBeOpened) {
  const std::string names[] = {VURN_SOURCE_DIR "/examples/no_such_file.nex",
                               VURN_SOURCE_DIR "/examples"};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    CapturedConsole cc;
    Record rec;
    EXPECT_FALSE(readDataFile(name.c_str(), *rec, cc.con));
    EXPECT_EQ("", cc.out());
    EXPECT_EQ("\nError: could not open input file \"" + name + "\"\n",
              cc.err());
  }
}

// The progress lines reach the console before the message that follows them.
TEST(DataFileHeader, MessageFollowsTheProgressLines) {
  CapturedConsole cc("", /*combined=*/true);
  Record rec;
  const std::string text = kBegin + "dims npops=1";
  readDataBytes("data.nex", reinterpret_cast<const unsigned char*>(text.data()),
                text.size(), *rec, cc.con);
  EXPECT_EQ(kReading + "\nError: incorrect input at dims", cc.out());
}

}  // namespace
