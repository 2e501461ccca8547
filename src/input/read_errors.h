// Every message the data file reader prints when it refuses a file, in one
// place.  Each goes to standard error; the caller then ends at the quit
// prompt.
#pragma once

#include "app/console.h"

enum class ReadFault {
  CannotOpen,          // text: the file name
  ReadFailed,          // text: the file name
  NotNexus,            // text: the first token
  BlockType,           // text: the block token less its last character
  IncorrectInput,      // text: the token or key field
  IncorrectIndex,      // a: the locus index read
  TooFewLabels,
  TextTooLong,         // text: its first characters
  LabelTooLong,        // a: the population
  NumberTooLong,       // text: the number as written
  NumberOutOfRange,    // text: the number as written
  DimensionNotNumber,  // text: the key
  DimensionRange,      // text: the key, a: the value
  DimensionTwice,      // text: the key
  NoSeparator,
  IncorrectSeparator,  // text: the one character (len 1, may be NUL)
  ShortGenotype,       // text: the token, a: locus, b: population
  TooManyPopulations,  // text: the 100th population's label
  TooManyAlleles,      // a: locus, b: population
  TooManyIndividuals,  // a: population, b: the most rows there may be
  MatrixEnds,          // a: population
  EndExpected,         // text: the token read
  PopulationCount,     // a: populations read, b: npops
};

// Prints the message for `fault` on standard error.  Always returns false, so
// a reader can write `return reportReadFault(...)`.
bool reportReadFault(Console& con, ReadFault fault, const char* text = "",
                     long a = 0, long b = 0);
