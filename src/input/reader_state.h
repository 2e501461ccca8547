// What the header reader hands to the matrix reader: the open input, the
// token buffer, the record, and the settings of the format command.
#pragma once

#include "app/console.h"
#include "input/data_input.h"
#include "input/read_errors.h"
#include "input/sample_data.h"

enum class Ploidy { Haploid, Diploid };

struct FormatSettings {
  Ploidy ploidy = Ploidy::Haploid;
  unsigned char missingSymbol = 0;
  bool missingGiven = false;
  unsigned char separatorSymbol = 0;
  bool separatorGiven = false;
};

struct ReaderState {
  DataInput in;
  Token token;  // the last token read; messages quote it
  SampleData* rec = nullptr;
  Console* con = nullptr;
  const char* fileName = "";
};

// Reports a fault of the file and returns false.  When the operating system
// refused a read, the file was not read to its end, so that is what is
// reported instead of whatever the missing bytes caused.
inline bool fail(ReaderState& r, ReadFault fault, const char* text = "",
                 long a = 0, long b = 0) {
  if (r.in.ioError) return reportReadFault(*r.con, ReadFault::ReadFailed, r.fileName);
  return reportReadFault(*r.con, fault, text, a, b);
}

// Reads the genotype matrix, its closing "end;" and checks the number of
// populations, then prints the summary.  The input stands just after the
// last locus label.  Returns false after printing a message when the matrix
// is refused.
bool readGenotypeMatrix(ReaderState& r, const FormatSettings& format);
