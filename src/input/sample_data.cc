// Creation of the sample record: one zero-filled heap block per run.
#include "input/sample_data.h"

#include <cstdlib>

SampleData* newSampleData() {
  // calloc gives the zero counts the matrix reader relies on: it only ever
  // adds to count entries and never clears them.
  return static_cast<SampleData*>(std::calloc(1, sizeof(SampleData)));
}

void freeSampleData(SampleData* record) { std::free(record); }
