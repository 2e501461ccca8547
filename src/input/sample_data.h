// The one record through which the data file reaches the estimator: the
// observations reduced to allele counts per population, locus and allele.
//
// Every dimension is indexed from 1 and element 0 is left unused, so each
// capacity admits one item fewer than its value (99 populations, 99 loci,
// 49 allele types per locus, 39 characters of text).
#pragma once

#include <cstdint>

constexpr int MAXPOPS = 100;
constexpr int MAXLOCI = 100;
constexpr int MAXALLELES = 50;
constexpr int LABELSIZE = 40;

struct SampleData {
  int32_t nloci;
  int32_t npops;
  char locusLabel[MAXLOCI][LABELSIZE];
  char popLabel[MAXPOPS][LABELSIZE];
  int32_t nAlleles[MAXLOCI];
  // count[p][l][j]: copies of allele number j of locus l seen in population p.
  int32_t count[MAXPOPS][MAXLOCI][MAXALLELES];
};

// Obtains one zero-filled record in a single heap request; nullptr when the
// heap refuses.  Release it with freeSampleData.
SampleData* newSampleData();
void freeSampleData(SampleData* record);
