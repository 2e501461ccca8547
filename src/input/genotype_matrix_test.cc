// The genotype matrix: population labels, rows, allele numbering and
// counts, the closing "end;", the population count, the summary, the
// messages that refuse a matrix, and the capacity limits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/data_file.h"
#include "input/data_input.h"
#include "test_support.h"

namespace {

const std::string kReading =
    "Opening NEXUS data file data.nex\nReading VURN 2.0 data format";
const std::string kMissingQ = "\nMissing data represented by the symbol ?";
const std::string kSlash =
    "\nDifferent genes at one locus separated by the symbol /";
const std::string kHaploid = "\nAll loci haploid.";
const std::string kDiploid = "\nAll loci diploid.";

// A file declaring `npops` populations and `nloci` loci (labelled L1, L2,
// ...) with the format command's words after "format", then `matrix`.
std::string fileWith(int npops, int nloci, const std::string& format,
                     const std::string& matrix) {
  std::string s = "#nexus\nbegin vurndata;\ndimensions npops=" +
                  std::to_string(npops) + " nloci=" + std::to_string(nloci) +
                  ";\nformat " + format + "\nlocusallelelabels\n";
  for (int l = 1; l <= nloci; ++l)
    s += std::to_string(l) + " L" + std::to_string(l) + (l < nloci ? ", " : ";\n");
  return s + matrix;
}

// The first line of the summary, after the progress lines.
std::string counted(int npops, int nloci, int total) {
  return kReading + "\nData matrix has " + std::to_string(npops) +
         " populations, " + std::to_string(nloci) + " loci, and " +
         std::to_string(total) + " individuals";
}

// Expects count[p][l][1..] to be `want` and every later allele number 0.
void expectCounts(const SampleData& d, int p, int l,
                  const std::vector<int>& want) {
  for (int j = 1; j < MAXALLELES; ++j) {
    int w = j <= static_cast<int>(want.size()) ? want[j - 1] : 0;
    EXPECT_EQ(w, d.count[p][l][j])
        << "population " << p << ", locus " << l << ", allele " << j;
  }
}

// ---------------------------------------------------------- worked examples

TEST(GenotypeMatrix, WorkedHaploidExample) {
  Record rec;
  ReadResult r = readDataText(readFileText(VURN_SOURCE_DIR "/examples/haploid.nex"),
                      *rec);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(counted(2, 3, 5) + kMissingQ + kHaploid, r.out);
  EXPECT_EQ("", r.err);
  const SampleData& d = *rec;
  EXPECT_STREQ("north", d.popLabel[1]);
  EXPECT_STREQ("\nsouth", d.popLabel[2]);
  EXPECT_EQ(3, d.nAlleles[1]);
  EXPECT_EQ(2, d.nAlleles[2]);
  EXPECT_EQ(2, d.nAlleles[3]);
  // Locus 1: A, B, D; locus 2: B, D; locus 3: A, D.
  expectCounts(d, 1, 1, {2, 1, 0});
  expectCounts(d, 2, 1, {1, 0, 1});
  expectCounts(d, 1, 2, {3, 0});
  expectCounts(d, 2, 2, {1, 1});
  expectCounts(d, 1, 3, {2, 1});
  expectCounts(d, 2, 3, {1, 0});
}

TEST(GenotypeMatrix, WorkedDiploidExample) {
  Record rec;
  ReadResult r = readDataText(readFileText(VURN_SOURCE_DIR "/examples/diploid.nex"),
                      *rec);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(counted(2, 2, 3) + kMissingQ + kSlash + kDiploid, r.out);
  EXPECT_EQ("", r.err);
  const SampleData& d = *rec;
  EXPECT_STREQ("pop1", d.popLabel[1]);
  EXPECT_STREQ("\npop2", d.popLabel[2]);
  EXPECT_EQ(2, d.nAlleles[1]);
  EXPECT_EQ(2, d.nAlleles[2]);
  // Locus 1: A, B; locus 2: E, F.  A homozygote adds 2 to one count.
  expectCounts(d, 1, 1, {3, 1});
  expectCounts(d, 2, 1, {0, 1});
  expectCounts(d, 1, 2, {3, 1});
  expectCounts(d, 2, 2, {0, 2});
}

// ---------------------------------------------------------- refused matrices

struct FailCase {
  const char* name;
  std::string text;
  std::string err;
};

TEST(GenotypeMatrix, RefusedMatrices) {
  const std::string haploid = "haploid missing=?;";
  const std::string diploid = "diploid missing=? separator=/;";
  const std::string example =
      "matrix\nnorth: ind1 ABA\n ind2 A B D\n ind3 BBA,\n"
      "south: ind4 AD?\n ind5 DBA;\n";
  const std::string ends = "\nError: the file ends inside the matrix, in population ";
  const FailCase cases[] = {
      {"keyword in capitals",
       fileWith(1, 2, haploid, "Matrix\np: i AB;\nend;\n"),
       "\nError: incorrect input at Matrix"},
      // Diploid genotypes.
      {"wrong separator",
       fileWith(1, 2, diploid, "matrix\np: i A-B C/D;\nend;\n"),
       "Error: incorrect separator -"},
      {"wrong separator in the last genotype",
       fileWith(1, 2, diploid, "matrix\np: i A/B C|D;\nend;\n"),
       "Error: incorrect separator |"},
      {"two characters without the separator",
       fileWith(1, 2, diploid, "matrix\np: i AB C/D;\nend;\n"),
       "Error: incorrect separator B"},
      {"allele and separator only",
       fileWith(1, 2, diploid, "matrix\np: i A/ C/D;\nend;\n"),
       "\nError: incomplete diploid genotype A/ at locus 1 in population 1"},
      {"one-character genotype",
       fileWith(1, 2, diploid, "matrix\np: i A C/D;\nend;\n"),
       "\nError: incomplete diploid genotype A at locus 1 in population 1"},
      {"last genotype whose third character is its mark",
       fileWith(2, 2, diploid, "matrix\np: i A/B C/D, q: i A/B C/,\nend;\n"),
       "\nError: incomplete diploid genotype C/, at locus 2 in population 2"},
      {"last genotype of allele, separator and ;",
       fileWith(1, 1, diploid, "matrix\np: i A/;\nend;\n"),
       "\nError: incomplete diploid genotype A/; at locus 1 in population 1"},
      // The closing token.
      {"end in capitals", fileWith(2, 3, haploid, example + "END;\n"),
       "\nError: end of file expected at END;"},
      {"blank before end's semicolon", fileWith(2, 3, haploid, example + "end ;"),
       "\nError: end of file expected at end"},
      {"file ends after the matrix", fileWith(2, 3, haploid, example),
       "\nError: end of file expected at A;"},
      // The population count, tested after the whole matrix and its end.
      {"one population more than npops",
       fileWith(1, 3, haploid, example + "end;\n"),
       "\nError: Number of populations in matrix: 2 does not match npops=1"},
      {"one population fewer than npops",
       fileWith(3, 3, haploid, example + "end;\n"),
       "\nError: Number of populations in matrix: 2 does not match npops=3"},
      {"wrong count and no end", fileWith(1, 3, haploid, example + "fin;"),
       "\nError: end of file expected at fin;"},
      // The file ends before the matrix's closing semicolon.
      {"ends right after the keyword", fileWith(1, 3, haploid, "matrix\n"),
       ends + "1, before its closing ;"},
      {"ends inside the alleles of a row",
       fileWith(1, 3, haploid, "matrix\np: i A"), ends + "1, before its closing ;"},
      {"ends before the last genotype",
       fileWith(1, 3, haploid, "matrix\np: i AB "), ends + "1, before its closing ;"},
      {"ends after a row without a mark",
       fileWith(1, 3, haploid, "matrix\np: i ABC\n"),
       ends + "1, before its closing ;"},
      {"ends after the population's comma",
       fileWith(2, 3, haploid, "matrix\np: i ABC,\n"),
       ends + "2, before its closing ;"},
      {"ends before the label's colon",
       fileWith(2, 3, haploid, "matrix\np: i ABC,\nq i ABC;\nend;\n"),
       ends + "2, before its closing ;"},
      {"ends inside a diploid row",
       fileWith(1, 2, diploid, "matrix\np: i A/B"), ends + "1, before its closing ;"},
      // Texts beyond the length limit.
      {"individual label too long",
       fileWith(1, 1, haploid,
                "matrix\np: " + std::string(MAXTEXTLENGTH + 1, 'i') + " A;"),
       "\nError: text longer than 65536 characters, starting " +
           std::string(LABELSIZE - 1, 'i')},
      {"population label too long",
       fileWith(1, 1, haploid,
                "matrix\n" + std::string(MAXTEXTLENGTH + 1, 'p') + ": i A;"),
       "\nError: label of population 1 longer than 65536 characters"},
  };
  for (const FailCase& c : cases) {
    SCOPED_TRACE(c.name);
    Record rec;
    ReadResult r = readDataText(c.text, *rec);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(kReading, r.out);
    EXPECT_EQ(c.err, r.err);
  }
}

// ------------------------------------------------------------- rows and marks

// One locus: each row is a label and one token carrying the allele and the
// mark; characters between them are ignored, and a token without a mark
// continues the population.
TEST(GenotypeMatrix, OneLocus) {
  Record rec;
  ReadResult r = readDataText(
      fileWith(2, 1, "haploid missing=?;",
               "matrix\np: i1 A i2 B, q: i3 Azq;\nend;\n"),
      *rec);
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(counted(2, 1, 3) + kMissingQ + kHaploid, r.out);
  EXPECT_EQ(" q", std::string(rec->popLabel[2]));
  EXPECT_EQ(2, rec->nAlleles[1]);
  expectCounts(*rec, 1, 1, {1, 1});
  expectCounts(*rec, 2, 1, {1, 0});
}

// Haploid alleles before the last locus are single characters: together or
// apart, across line ends, and punctuation among them is an allele, not a
// mark.
TEST(GenotypeMatrix, HaploidAllelesTogetherOrApart) {
  const std::string rows[] = {"i1 ABC;", "i1 A B C;", "i1 A\n\tB\r\nC;",
                              "i1\nAB C;"};
  for (const std::string& row : rows) {
    SCOPED_TRACE(row);
    Record rec;
    ReadResult r = readDataText(
        fileWith(1, 3, "haploid missing=?;", "matrix\np: " + row + "\nend;"),
        *rec);
    ASSERT_TRUE(r.ok) << r.err;
    for (int l = 1; l <= 3; ++l) {
      EXPECT_EQ(1, rec->nAlleles[l]);
      expectCounts(*rec, 1, l, {1});
    }
  }
  Record rec;
  ReadResult r = readDataText(
      fileWith(1, 3, "haploid missing=?;", "matrix\np: i1 ,;:;\nend;"), *rec);
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(counted(1, 3, 1) + kMissingQ + kHaploid, r.out);
  for (int l = 1; l <= 3; ++l) EXPECT_EQ(1, rec->nAlleles[l]);
}

// The mark is the last character of the last token itself: a comma after a
// blank is the next row's individual label.
TEST(GenotypeMatrix, CommaAfterABlankIsALabel) {
  Record rec;
  ReadResult r = readDataText(
      fileWith(1, 2, "haploid missing=?;", "matrix\np: i1 A B , C D;\nend;"),
      *rec);
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(counted(1, 2, 2) + kMissingQ + kHaploid, r.out);
  expectCounts(*rec, 1, 1, {1, 1});  // A, C
  expectCounts(*rec, 1, 2, {1, 1});  // B, D
}

// A lone "," as the last haploid token is both the allele and the mark,
// unless the comma is the missing symbol.
TEST(GenotypeMatrix, LoneCommaIsAlleleAndMark) {
  {
    Record rec;
    ReadResult r = readDataText(
        fileWith(2, 1, "haploid missing=?;", "matrix\np: i1 , q: i2 A;\nend;"),
        *rec);
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_EQ(counted(2, 1, 2) + kMissingQ + kHaploid, r.out);
    EXPECT_EQ(2, rec->nAlleles[1]);
    expectCounts(*rec, 1, 1, {1, 0});  // ","
    expectCounts(*rec, 2, 1, {0, 1});  // "A"
  }
  {
    Record rec;
    ReadResult r = readDataText(
        fileWith(2, 1, "haploid missing=,;", "matrix\np: i1 , q: i2 A;\nend;"),
        *rec);
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_EQ(counted(2, 1, 2) + "\nMissing data represented by the symbol ," +
                  kHaploid,
              r.out);
    EXPECT_EQ(1, rec->nAlleles[1]);
    expectCounts(*rec, 1, 1, {0});
    expectCounts(*rec, 2, 1, {1});
  }
}

// A row whose alleles are all missing still counts as an individual and
// changes no count.
TEST(GenotypeMatrix, AllMissingRowsCount) {
  {
    Record rec;
    ReadResult r = readDataText(fileWith(1, 3, "haploid missing=?;",
                                 "matrix\np: i1 ??? i2 AB?;\nend;"),
                        *rec);
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_EQ(counted(1, 3, 2) + kMissingQ + kHaploid, r.out);
    EXPECT_EQ(1, rec->nAlleles[1]);
    EXPECT_EQ(1, rec->nAlleles[2]);
    EXPECT_EQ(0, rec->nAlleles[3]);
    expectCounts(*rec, 1, 1, {1});
    expectCounts(*rec, 1, 3, {});
  }
  {
    Record rec;
    ReadResult r = readDataText(fileWith(1, 2, "diploid missing=? separator=/;",
                                 "matrix\np: i1 ?/? ?/? i2 A/? ?/B;\nend;"),
                        *rec);
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_EQ(counted(1, 2, 2) + kMissingQ + kSlash + kDiploid, r.out);
    expectCounts(*rec, 1, 1, {1});
    expectCounts(*rec, 1, 2, {1});
  }
}

// Without a missing key no character is missing: "?" is an allele.
// Characters are compared as bytes: upper and lower case differ.
TEST(GenotypeMatrix, NoMissingKeyAndCaseDistinct) {
  Record rec;
  ReadResult r = readDataText(fileWith(1, 1, "haploid datapoint=standard;",
                               "matrix\np: i1 ? i2 a i3 A i4 a;\nend;"),
                      *rec);
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(counted(1, 1, 4) + kHaploid, r.out);
  EXPECT_EQ(3, rec->nAlleles[1]);
  expectCounts(*rec, 1, 1, {1, 2, 1});  // ?, a, A
}

// A diploid token's characters after the second allele are ignored; in the
// last token the mark is the last character however long the token is.
TEST(GenotypeMatrix, DiploidExtraCharactersIgnored) {
  Record rec;
  ReadResult r = readDataText(fileWith(2, 2, "diploid separator=/;",
                               "matrix\np: i1 A/BXYZ C/DZZ, q: i2 B/B D/C;\nend;"),
                      *rec);
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(counted(2, 2, 2) + kSlash + kDiploid, r.out);
  EXPECT_EQ(2, rec->nAlleles[1]);
  EXPECT_EQ(2, rec->nAlleles[2]);
  expectCounts(*rec, 1, 1, {1, 1});
  expectCounts(*rec, 2, 1, {0, 2});
  expectCounts(*rec, 1, 2, {1, 1});
  expectCounts(*rec, 2, 2, {1, 1});
}

// The first label starts at the first non-blank character after the
// keyword; a later one right after the previous comma, line end and
// indentation included.  Blanks before the colon stay, and a long label is
// read to its colon with 39 characters kept.
TEST(GenotypeMatrix, PopulationLabels) {
  const std::string n45(45, 'n');
  Record rec;
  ReadResult r = readDataText(
      fileWith(4, 1, "haploid missing=?;",
               "matrix\n   north : i1 A,\n   south\t: i2 B, " + n45 +
                   ": i3 C,\n:i4 D;\nend;"),
      *rec);
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(counted(4, 1, 4) + kMissingQ + kHaploid, r.out);
  EXPECT_EQ("north ", std::string(rec->popLabel[1]));
  EXPECT_EQ("\n   south\t", std::string(rec->popLabel[2]));
  EXPECT_EQ(" " + n45.substr(0, LABELSIZE - 2), rec->popLabel[3]);
  EXPECT_EQ("\n", std::string(rec->popLabel[4]));
  EXPECT_EQ(4, rec->nAlleles[1]);
  expectCounts(*rec, 4, 1, {0, 0, 0, 1});
}

TEST(GenotypeMatrix, EmptyPopulationLabel) {
  Record rec;
  ReadResult r = readDataText(
      fileWith(1, 1, "haploid missing=?;", "matrix\n:i1 A;\nend;"), *rec);
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ("", std::string(rec->popLabel[1]));
  expectCounts(*rec, 1, 1, {1});
}

// ---------------------------------------------------------------- capacities

// A haploid matrix of `npops` populations of one individual each, at
// `nloci` loci, every allele "A" but the last of the last population, "B".
std::string bigMatrix(int npops, int nloci) {
  std::string m = "matrix\n";
  for (int p = 1; p <= npops; ++p) {
    m += "P" + std::to_string(p) + ": i ";
    m += std::string(nloci - 1, 'A');
    m += p == npops ? " B;\n" : " A,\n";
  }
  return m + "end;\n";
}

TEST(GenotypeMatrix, NinetyNinePopulationsAndLociFit) {
  Record rec;
  ReadResult r = readDataText(
      fileWith(MAXPOPS - 1, MAXLOCI - 1, "haploid missing=?;",
               bigMatrix(MAXPOPS - 1, MAXLOCI - 1)),
      *rec);
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(counted(99, 99, 99) + kMissingQ + kHaploid, r.out);
  EXPECT_STREQ("\nP99", rec->popLabel[99]);
  EXPECT_EQ(1, rec->nAlleles[1]);
  EXPECT_EQ(2, rec->nAlleles[99]);
  expectCounts(*rec, 99, 1, {1});
  expectCounts(*rec, 98, 99, {1, 0});
  expectCounts(*rec, 99, 99, {0, 1});
}

TEST(GenotypeMatrix, HundredthPopulationRefused) {
  Record rec;
  ReadResult r = readDataText(
      fileWith(MAXPOPS - 1, 2, "haploid missing=?;", bigMatrix(MAXPOPS, 2)),
      *rec);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(kReading, r.out);
  EXPECT_EQ("\nError: more than 99 populations in the matrix, the 100th is P100",
            r.err);
}

// Forty-nine distinct characters fit at one locus; the fiftieth is refused,
// naming its locus and population, while known ones are still accepted.
TEST(GenotypeMatrix, FortyNineAllelesFit) {
  const std::string symbols =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvw";
  ASSERT_EQ(static_cast<size_t>(MAXALLELES - 1), symbols.size());
  std::string first = "matrix\np:";
  for (char c : symbols) first += std::string(" i A") + c;
  {
    Record rec;
    ReadResult r = readDataText(
        fileWith(1, 2, "haploid missing=?;", first + ";\nend;"), *rec);
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_EQ(counted(1, 2, 49) + kMissingQ + kHaploid, r.out);
    EXPECT_EQ(1, rec->nAlleles[1]);
    EXPECT_EQ(49, rec->nAlleles[2]);
    expectCounts(*rec, 1, 1, {49});
    EXPECT_EQ(1, rec->count[1][2][49]);
  }
  {
    Record rec;
    ReadResult r = readDataText(fileWith(2, 2, "haploid missing=?;",
                                 first + ",\nq: i AA i A? i Ax;\nend;"),
                        *rec);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(kReading, r.out);
    EXPECT_EQ("\nError: more than 49 alleles at locus 2 (population 2)", r.err);
  }
}

}  // namespace
