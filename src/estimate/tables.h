// The two tables the estimator derives from the counts: pooled allele
// frequencies per locus, and allele copies per population and locus.
// Indexed from 1 like the record; the ranges in use are the record's.
#pragma once

#include <cstdint>

#include "input/sample_data.h"

struct AlleleFreqTable {
  float freq[MAXLOCI][MAXALLELES];  // [locus][allele number]
};

struct SampleSizeTable {
  int32_t size[MAXPOPS][MAXLOCI];  // [population][locus]
};

// Pooled frequency of each allele at each locus, in single precision.  The
// pooled counts are summed in the table itself, each addition rounded to
// single precision; the locus total is summed in double precision.  A locus
// whose alleles have no copies gets 0/0, never read afterwards.
void buildAlleleFreqTable(const SampleData& d, AlleleFreqTable& freq);

// Copies per population and locus: the sum of the counts over the locus's
// allele numbers.
void buildSampleSizeTable(const SampleData& d, SampleSizeTable& sizes);
