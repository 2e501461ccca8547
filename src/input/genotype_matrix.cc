// The genotype matrix: one block per population, one row per individual, one
// genotype per locus.  Codes every allele character into an allele number of
// its locus, in order of first appearance, and adds up the copies.
#include <cstring>
#include <string>

#include "input/reader_state.h"

namespace {

struct MatrixState {
  ReaderState& r;
  const FormatSettings& f;
  SampleData& d;
  // alleleNumber[l][c]: the allele number of character c at locus l, or 0
  // while c has not been seen there.  Replaces a search of the locus's
  // allele characters with one lookup.
  uint8_t alleleNumber[MAXLOCI][256];
};

// Gives character c its number at locus l, the next free one: it was not
// seen there before.  Returns 0 (after the message) when the locus is full.
int newAllele(MatrixState& m, int p, int l, unsigned char c) {
  if (m.d.nAlleles[l] == MAXALLELES - 1)
    return fail(m.r, ReadFault::TooManyAlleles, "", l, p);
  int j = ++m.d.nAlleles[l];
  m.alleleNumber[l][c] = static_cast<uint8_t>(j);
  return j;
}

// Counts one copy of allele character c at population p, locus l.
inline bool codeAllele(MatrixState& m, int p, int l, unsigned char c) {
  int j = m.alleleNumber[l][c];
  if (j == 0) {  // the missing symbol never gets a number
    if (m.f.missingGiven && c == m.f.missingSymbol) return true;
    if ((j = newAllele(m, p, l, c)) == 0) return false;
  }
  ++m.d.count[p][l][j];
  return true;
}

// The single-character alleles of loci 1 to nloci - 1 of a haploid row.
// This is the reader's hot loop: it works on local copies of the buffer
// pointers so that they stay in registers.
bool readHaploidAlleles(MatrixState& m, int p) {
  DataInput& in = m.r.in;
  const int nloci = m.d.nloci;
  const int missing = m.f.missingGiven ? m.f.missingSymbol : -1;
  int32_t(*counts)[MAXALLELES] = m.d.count[p];
  const uint8_t(*numbers)[256] = m.alleleNumber;
  const unsigned char* s = in.p;
  const unsigned char* end = in.end;
  while (s != end && isBlank(*s)) ++s;
  // Alleles are most often written together: when the next nloci - 1 bytes
  // are at hand and hold no blank, they are the row's alleles in locus order.
  if (end - s >= nloci - 1) {
    // Blanks are ' ' and '\t' to '\r'; tested by arithmetic so that the
    // compiler can check many bytes at once.
    unsigned blanks = 0;
    for (int i = 0; i < nloci - 1; ++i)
      blanks |= (s[i] == ' ') | (static_cast<unsigned char>(s[i] - '\t') < 5);
    if (!blanks) {
      for (int l = 1; l < nloci; ++l) {
        int c = s[l - 1];
        int j = numbers[l][c];
        if (j == 0) {  // the missing symbol never gets a number
          if (c == missing) continue;
          if ((j = newAllele(m, p, l, static_cast<unsigned char>(c))) == 0)
            return false;
        }
        ++counts[l][j];
      }
      in.p = s + (nloci - 1);
      return true;
    }
  }
  for (int l = 1; l < nloci; ++l) {
    while (s != end && isBlank(*s)) ++s;
    // Every failed read in the matrix ends it, so the input has not failed
    // here and a byte at hand is the allele.
    int c;
    if (s != end) {
      c = *s++;
    } else {
      in.p = s;
      c = readSingleChar(in);  // refills the buffer
      if (c < 0) return fail(m.r, ReadFault::MatrixEnds, "", p);
      s = in.p;
      end = in.end;
    }
    if (c == missing) continue;
    int j = numbers[l][c];
    if (j == 0 && (j = newAllele(m, p, l, static_cast<unsigned char>(c))) == 0)
      return false;
    ++counts[l][j];
  }
  in.p = s;
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

// The genotypes of loci 1 to nloci - 1 of a diploid row.  The usual layout,
// three-character tokens such as "A/B" each followed by one blank, is coded
// where it stands in the buffer; any other token goes through the token
// buffer.
bool readDiploidGenotypes(MatrixState& m, int p) {
  DataInput& in = m.r.in;
  const int nloci = m.d.nloci;
  const unsigned char sep = m.f.separatorSymbol;
  const unsigned char* s = in.p;
  while (s != in.end && isBlank(*s)) ++s;
  in.p = s;
  const int width = 4 * (nloci - 1);
  if (in.end - s >= width) {
    // Blanks are ' ' and '\t' to '\r'; tested by arithmetic so that the
    // compiler can check many bytes at once.
    auto blank = [](unsigned char c) {
      return (c == ' ') | (static_cast<unsigned char>(c - '\t') < 5);
    };
    unsigned bad = 0;
    for (int i = 0; i < width; i += 4)
      bad |= blank(s[i]) | (s[i + 1] != sep) | blank(s[i + 2]) | !blank(s[i + 3]);
    if (!bad) {
      for (int l = 1; l < nloci; ++l, s += 4)
        if (!codeAllele(m, p, l, s[0]) || !codeAllele(m, p, l, s[2]))
          return false;
      in.p = s;
      return true;
    }
  }
  for (int l = 1; l < nloci; ++l) {
    s = in.p;
    while (s != in.end && isBlank(*s)) ++s;
    in.p = s;
    if (in.end - s >= 4 && s[1] == sep && isBlank(s[3]) && !isBlank(s[0]) &&
        !isBlank(s[2])) {
      in.p = s + 3;
      if (!codeAllele(m, p, l, s[0]) || !codeAllele(m, p, l, s[2]))
        return false;
    } else if (!matrixToken(m, p) || !codeDiploid(m, p, l, false)) {
      return false;
    }
  }
  return true;
}

// One individual row after its label: a genotype per locus.  Sets the
// end-of-population and end-of-matrix flags from the last token's mark.
bool readRow(MatrixState& m, int p, bool& endPop, bool& endMatrix) {
  const int nloci = m.d.nloci;
  const bool diploid = m.f.ploidy == Ploidy::Diploid;
  if (!(diploid ? readDiploidGenotypes(m, p) : readHaploidAlleles(m, p)))
    return false;
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
  // More rows than this would let a sample size, the copies of one
  // population at one locus, pass the 32-bit range.
  const int32_t maxRows =
      format.ploidy == Ploidy::Diploid ? INT32_MAX / 2 : INT32_MAX;
  for (bool endMatrix = false; !endMatrix;) {
    const int p = npopsRead + 1;
    // A later label starts right after the previous population's comma, so
    // it holds the rest of that line, its line end and any indentation.
    // It is read before the capacity test, so that a file ending after its
    // last population's comma is told so.
    char label[LABELSIZE];
    ReadStatus s = readLabelText(r.in, ':', label);
    if (s == ReadStatus::TooLong) return fail(r, ReadFault::LabelTooLong, "", p);
    if (s == ReadStatus::Nothing) return fail(r, ReadFault::MatrixEnds, "", p);
    if (p == MAXPOPS) {
      // Named by its label without the line end and indentation before it.
      const char* name = label;
      while (*name != '\0' && isBlank(static_cast<unsigned char>(*name))) ++name;
      return fail(r, ReadFault::TooManyPopulations, name);
    }
    npopsRead = p;
    std::memcpy(d.popLabel[p], label, LABELSIZE);
    for (bool endPop = false; !endPop;) {
      if (total == maxRows)
        return fail(r, ReadFault::TooManyIndividuals, "", p, maxRows);
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
