// The header of the vurndata block: header word, block name, dimensions,
// format command and locus labels.  A strict single-pass reader: the words
// come in one fixed order and the first deviation is reported.
#include "input/data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "input/reader_state.h"

namespace {

// Reads a token into the token buffer; a failed read keeps its old text.
// Returns false (after the message) only for a token too long to accept.
bool nextToken(ReaderState& r) {
  if (readToken(r.in, r.token) == ReadStatus::TooLong)
    return fail(r, ReadFault::TextTooLong, r.token.text);
  return true;
}

// Reads a token and refuses anything but `keyword` as incorrect input.
bool expectKeyword(ReaderState& r, const char* keyword) {
  if (!nextToken(r)) return false;
  if (!tokenIs(r.token, keyword))
    return fail(r, ReadFault::IncorrectInput, r.token.text);
  return true;
}

// Removes a token's last character, keeping at most `keep` characters of
// its text.  The shortened token is what the buffer holds from then on, so
// its last character is the one before: a later read that finds nothing
// leaves it to be tested.
void dropLastChar(Token& t, size_t keep) {
  if (t.len == 0) return;
  t.len -= 1;
  if (t.len == 0)
    t.last = 0;
  else if (t.len < LABELSIZE)
    t.last = static_cast<unsigned char>(t.text[t.len - 1]);
  else
    t.last = t.beforeLast;
  size_t n = t.len < keep ? t.len : keep;
  t.text[n] = '\0';
}

// A key field: blanks skipped, then the text up to "=".  It goes into the
// token buffer like a token, so when the file ends just after a command the
// next keyword test quotes the last key read.  A failed read leaves it empty.
void readKeyField(ReaderState& r) {
  skipBlanks(r.in);
  Token& t = r.token;
  readDelimitedText(r.in, '=', t.text);
  t.len = std::strlen(t.text);
  t.last = t.len > 0 ? static_cast<unsigned char>(t.text[t.len - 1]) : 0;
}

// Refuses an integer that is too long or out of the 32-bit range.
bool checkInteger(ReaderState& r, const IntRead& n) {
  if (n.status == IntStatus::TooLong)
    return fail(r, ReadFault::NumberTooLong, n.written);
  if (n.status == IntStatus::OutOfRange)
    return fail(r, ReadFault::NumberOutOfRange, n.written);
  return true;
}

// The dimensions command after its keyword: npops and nloci, each once, in
// either order, each from 1 to 99; then the one closing character.
bool readDimensions(ReaderState& r) {
  SampleData& d = *r.rec;
  bool seenPops = false, seenLoci = false;
  for (int i = 0; i < 2; ++i) {
    readKeyField(r);
    const char* key = r.token.text;
    bool pops = std::strcmp(key, "npops") == 0;
    if (!pops && std::strcmp(key, "nloci") != 0)
      return fail(r, ReadFault::IncorrectInput, key);
    bool& seen = pops ? seenPops : seenLoci;
    if (seen) return fail(r, ReadFault::DimensionTwice, key);
    seen = true;
    IntRead n = readInteger(r.in);
    if (!checkInteger(r, n)) return false;
    if (n.status != IntStatus::Got)
      return fail(r, ReadFault::DimensionNotNumber, key);
    // Both capacities leave index 0 unused.
    int limit = (pops ? MAXPOPS : MAXLOCI) - 1;
    if (n.value < 1 || n.value > limit)
      return fail(r, ReadFault::DimensionRange, key, n.value);
    (pops ? d.npops : d.nloci) = n.value;
  }
  readNextChar(r.in);  // the ";" that closes the command, whatever it is
  return true;
}

// The format command after its keyword: the ploidy word and the key=value
// pairs up to the one whose value ends with ";".
bool readFormat(ReaderState& r, FormatSettings& f) {
  if (!nextToken(r)) return false;
  if (tokenIs(r.token, "haploid")) {
    f.ploidy = Ploidy::Haploid;
  } else if (tokenIs(r.token, "diploid")) {
    f.ploidy = Ploidy::Diploid;
  } else {
    return fail(r, ReadFault::IncorrectInput, r.token.text);
  }
  Token value;  // separate from the token buffer, which keeps the key
  for (bool last = false; !last;) {
    readKeyField(r);
    const char* key = r.token.text;
    bool missing = std::strcmp(key, "missing") == 0;
    bool separator = std::strcmp(key, "separator") == 0;
    if (!missing && !separator && std::strcmp(key, "datapoint") != 0)
      return fail(r, ReadFault::IncorrectInput, key);
    if (readToken(r.in, value) == ReadStatus::TooLong)
      return fail(r, ReadFault::TextTooLong, value.text);
    if (value.len > 0 && value.last == ';') {
      last = true;
      dropLastChar(value, LABELSIZE - 1);
    }
    unsigned char symbol = tokenChar(value, 0);
    if (missing) {
      f.missingSymbol = symbol;
      f.missingGiven = true;
    } else if (separator) {
      f.separatorSymbol = symbol;
      f.separatorGiven = true;
    }
  }
  if (f.ploidy == Ploidy::Diploid && !f.separatorGiven)
    return fail(r, ReadFault::NoSeparator);
  return true;
}

// The locus-label command after its keyword: "1 label, 2 label, ... n label;".
bool readLocusLabels(ReaderState& r) {
  SampleData& d = *r.rec;
  int32_t index = 0;  // quoted when the file ends before the first index
  for (int l = 1; l <= d.nloci; ++l) {
    IntRead n = readInteger(r.in);
    if (!checkInteger(r, n)) return false;
    if (n.status == IntStatus::Got || n.status == IntStatus::NoDigits)
      index = n.value;
    if (!nextToken(r)) return false;
    if (index != l) return fail(r, ReadFault::IncorrectIndex, "", index);
    if (r.token.last == ';' && l < d.nloci)
      return fail(r, ReadFault::TooFewLabels);
    // The label is the token less its last character, normally its "," or
    // ";"; the token buffer holds the shortened text from now on.
    dropLastChar(r.token, LABELSIZE - 2);
    std::memcpy(d.locusLabel[l], r.token.text, LABELSIZE);
  }
  return true;
}

bool readDataBlock(ReaderState& r) {
  Console& con = *r.con;
  // A first word of any length that is not the header word means the file
  // is no NEXUS file, binary data and NUL bytes included.
  if (readToken(r.in, r.token) == ReadStatus::TooLong ||
      !tokenIs(r.token, "#nexus"))
    return fail(r, ReadFault::NotNexus, r.token.text);
  writeOut(con, std::string("Opening NEXUS data file ") + r.fileName);

  if (!expectKeyword(r, "begin")) return false;
  if (!nextToken(r)) return false;
  if (!tokenIs(r.token, "vurndata;")) {
    dropLastChar(r.token, LABELSIZE - 1);
    return fail(r, ReadFault::BlockType, r.token.text);
  }
  writeOut(con, "\nReading VURN 2.0 data format");

  FormatSettings format;
  if (!expectKeyword(r, "dimensions") || !readDimensions(r)) return false;
  if (!expectKeyword(r, "format") || !readFormat(r, format)) return false;
  if (!expectKeyword(r, "locusallelelabels") || !readLocusLabels(r))
    return false;
  return readGenotypeMatrix(r, format);
}

}  // namespace

bool readDataBytes(const char* fileName, const unsigned char* data,
                   size_t size, SampleData& rec, Console& con) {
  ReaderState r;
  openInputBytes(r.in, data, size);
  r.rec = &rec;
  r.con = &con;
  r.fileName = fileName;
  return readDataBlock(r);
}

bool readDataFile(const char* fileName, SampleData& rec, Console& con) {
  int fd = ::open(fileName, O_RDONLY | O_CLOEXEC);
  struct stat st;
  if (fd >= 0 && (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))) {
    ::close(fd);
    fd = -1;
  }
  if (fd < 0) return reportReadFault(con, ReadFault::CannotOpen, fileName);
  // One buffer for the one file of a run, outside the heap.
  static unsigned char buffer[kInputBufferSize];
  ReaderState r;
  openInputFile(r.in, fd, buffer);
  r.rec = &rec;
  r.con = &con;
  r.fileName = fileName;
  bool ok = readDataBlock(r);
  ::close(fd);
  return ok;
}
