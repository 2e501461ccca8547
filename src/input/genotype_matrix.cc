// The genotype matrix: one block per population, one row per individual, one
// genotype per locus.  Codes every allele character into an allele number of
// its locus, in order of first appearance, and adds up the copies.
#include <cstring>
#include <string>

#include "input/reader_state.h"

namespace {

// More individuals than this would let a diploid sample size pass the
// 32-bit range.
constexpr int32_t kMaxIndividuals = INT32_MAX / 2;

struct MatrixState {
  ReaderState& r;
  const FormatSettings& f;
  SampleData& d;
  // alleleNumber[l][c]: the allele number of character c at locus l, or 0
  // while c has not been seen there.  Replaces a search of the locus's
  // allele characters with one lookup.
  uint8_t alleleNumber[MAXLOCI][256];
};

// Counts one copy of allele character c at population p, locus l.
inline bool codeAllele(MatrixState& m, int p, int l, unsigned char c) {
  if (m.f.missingGiven && c == m.f.missingSymbol) return true;
  uint8_t& j = m.alleleNumber[l][c];
  if (j == 0) {
    if (m.d.nAlleles[l] == MAXALLELES - 1)
      return fail(m.r, ReadFault::TooManyAlleles, "", l, p);
    j = static_cast<uint8_t>(++m.d.nAlleles[l]);
  }
  ++m.d.count[p][l][j];
  return true;
}

// Reads a token of the matrix; the end of the file there is an error.
bool matrixToken(MatrixState& m, int p) {
  ReadStatus s = readToken(m.r.in, m.r.token);
  if (s == ReadStatus::TooLong)
    return fail(m.r, ReadFault::TextTooLong, m.r.token.text);
  if (s == ReadStatus::Nothing) return fail(m.r, ReadFault::MatrixEnds, "", p);
  return true;
}

// A diploid genotype token: first allele, separator, second allele.  With
// `isLast` the token's last character is the mark and is no allele.
bool codeDiploid(MatrixState& m, int p, int l, bool isLast) {
  const Token& t = m.r.token;
  if (t.len >= 2 && tokenChar(t, 1) != m.f.separatorSymbol) {
    char sep[2] = {static_cast<char>(tokenChar(t, 1)), 0};
    return fail(m.r, ReadFault::IncorrectSeparator, sep);
  }
  if (t.len < 3 || (isLast && t.len == 3 && (t.last == ',' || t.last == ';')))
    return fail(m.r, ReadFault::ShortGenotype, t.text, l, p);
  return codeAllele(m, p, l, tokenChar(t, 0)) &&
         codeAllele(m, p, l, tokenChar(t, 2));
}

// One individual row after its label: a genotype per locus.  Sets the
// end-of-population and end-of-matrix flags from the last token's mark.
bool readRow(MatrixState& m, int p, bool& endPop, bool& endMatrix) {
  const int nloci = m.d.nloci;
  const bool diploid = m.f.ploidy == Ploidy::Diploid;
  for (int l = 1; l < nloci; ++l) {
    if (diploid) {
      if (!matrixToken(m, p) || !codeDiploid(m, p, l, false)) return false;
    } else {
      int c = readSingleChar(m.r.in);
      if (c < 0) return fail(m.r, ReadFault::MatrixEnds, "", p);
      if (!codeAllele(m, p, l, static_cast<unsigned char>(c))) return false;
    }
  }
  if (!matrixToken(m, p)) return false;
  const Token& t = m.r.token;
  if (t.last == ',') endPop = true;
  if (t.last == ';') endPop = endMatrix = true;
  if (diploid) return codeDiploid(m, p, nloci, true);
  return codeAllele(m, p, nloci, tokenChar(t, 0));
}

void printSummary(Console& con, const SampleData& d, const FormatSettings& f,
                  int32_t total) {
  std::string s = "\nData matrix has " + std::to_string(d.npops) +
                  " populations, " + std::to_string(d.nloci) + " loci, and " +
                  std::to_string(total) + " individuals";
  if (f.missingGiven) {
    s += "\nMissing data represented by the symbol ";
    s.push_back(static_cast<char>(f.missingSymbol));
  }
  if (f.separatorGiven) {
    s += "\nDifferent genes at one locus separated by the symbol ";
    s.push_back(static_cast<char>(f.separatorSymbol));
  }
  s += f.ploidy == Ploidy::Haploid ? "\nAll loci haploid." : "\nAll loci diploid.";
  writeOut(con, s);
}

}  // namespace

bool readGenotypeMatrix(ReaderState& r, const FormatSettings& format) {
  SampleData& d = *r.rec;
  if (readToken(r.in, r.token) == ReadStatus::TooLong)
    return fail(r, ReadFault::TextTooLong, r.token.text);
  // The first population's label starts at the first non-blank character.
  skipBlanks(r.in);
  if (!tokenIs(r.token, "matrix"))
    return fail(r, ReadFault::IncorrectInput, r.token.text);

  MatrixState m{r, format, d, {}};
  for (int l = 1; l <= d.nloci; ++l) d.nAlleles[l] = 0;
  int npopsRead = 0;
  int32_t total = 0;  // individual rows in all populations
  for (bool endMatrix = false; !endMatrix;) {
    if (npopsRead == MAXPOPS - 1) return fail(r, ReadFault::TooManyPopulations);
    int p = ++npopsRead;
    // A later label starts right after the previous population's comma, so
    // it holds the rest of that line, its line end and any indentation.
    ReadStatus s = readLabelText(r.in, ':', d.popLabel[p]);
    if (s == ReadStatus::TooLong) return fail(r, ReadFault::LabelTooLong, "", p);
    if (s == ReadStatus::Nothing) return fail(r, ReadFault::MatrixEnds, "", p);
    for (bool endPop = false; !endPop;) {
      if (total == kMaxIndividuals)
        return fail(r, ReadFault::TooManyIndividuals, "", p);
      ++total;  // every row counts, even one whose alleles are all missing
      if (!matrixToken(m, p)) return false;  // the individual label
      if (!readRow(m, p, endPop, endMatrix)) return false;
    }
  }
  if (readToken(r.in, r.token) == ReadStatus::TooLong)
    return fail(r, ReadFault::TextTooLong, r.token.text);
  if (!tokenIs(r.token, "end;"))
    return fail(r, ReadFault::EndExpected, r.token.text);
  if (npopsRead != d.npops)
    return fail(r, ReadFault::PopulationCount, "", npopsRead, d.npops);
  printSummary(*r.con, d, format, total);
  return true;
}
