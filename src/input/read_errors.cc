// The texts of the data file reader's messages.
#include "input/read_errors.h"

#include <string>

#include "input/data_input.h"

bool reportReadFault(Console& con, ReadFault fault, const char* text, long a,
                     long b) {
  const std::string t = text;
  const std::string na = std::to_string(a);
  const std::string nb = std::to_string(b);
  std::string m;
  switch (fault) {
    case ReadFault::CannotOpen:
      m = "\nError: could not open input file \"" + t + "\"\n";
      break;
    case ReadFault::ReadFailed:
      m = "\nError: could not read input file \"" + t + "\"";
      break;
    case ReadFault::NotNexus:
      m = "\nError: not a nexus format file!" + t;
      break;
    case ReadFault::BlockType:
      m = "\nError: block type " + t + " cannot be used with this program";
      break;
    case ReadFault::IncorrectInput:
      m = "\nError: incorrect input at " + t;
      break;
    case ReadFault::IncorrectIndex:
      m = "\nError: incorrect input at " + na;
      break;
    case ReadFault::TooFewLabels:
      m = "\nError: too few labels for loci.";
      break;
    case ReadFault::TextTooLong:
      m = "\nError: text longer than " + std::to_string(MAXTEXTLENGTH) +
          " characters, starting " + t;
      break;
    case ReadFault::LabelTooLong:
      m = "\nError: label of population " + na + " longer than " +
          std::to_string(MAXTEXTLENGTH) + " characters";
      break;
    case ReadFault::NumberTooLong:
      m = "\nError: number longer than 15 characters at " + t;
      break;
    case ReadFault::NumberOutOfRange:
      m = "\nError: number out of range at " + t;
      break;
    case ReadFault::DimensionNotNumber:
      m = "\nError: " + t + " must be a whole number from 1 to 99";
      break;
    case ReadFault::DimensionRange:
      m = "\nError: " + t + " must be from 1 to 99, not " + na;
      break;
    case ReadFault::DimensionTwice:
      m = "\nError: " + t + " given twice in the dimensions command";
      break;
    case ReadFault::NoSeparator:
      m = "\nError: diploid data need a separator symbol in the format "
          "command";
      break;
    case ReadFault::IncorrectSeparator:
      // This message alone has no line feed in front.
      m = "Error: incorrect separator ";
      m.push_back(text[0]);
      break;
    case ReadFault::ShortGenotype:
      m = "\nError: incomplete diploid genotype " + t + " at locus " + na +
          " in population " + nb;
      break;
    case ReadFault::TooManyPopulations:
      m = "\nError: more than 99 populations in the matrix, the 100th is " + t;
      break;
    case ReadFault::TooManyAlleles:
      m = "\nError: more than 49 alleles at locus " + na + " (population " +
          nb + ")";
      break;
    case ReadFault::TooManyIndividuals:
      m = "\nError: more than " + nb +
          " individuals in the matrix, at population " + na;
      break;
    case ReadFault::MatrixEnds:
      m = "\nError: the file ends inside the matrix, in population " + na +
          ", before its closing ;";
      break;
    case ReadFault::EndExpected:
      m = "\nError: end of file expected at " + t;
      break;
    case ReadFault::PopulationCount:
      m = "\nError: Number of populations in matrix: " + na +
          " does not match npops=" + nb;
      break;
  }
  writeErr(con, m);
  return false;
}
