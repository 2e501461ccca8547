// The data file reader: opens a NEXUS file, reads its vurndata block into the
// sample record and prints the progress lines and the summary.
#pragma once

#include <cstddef>

#include "app/console.h"
#include "input/sample_data.h"

// Reads the named data file into `rec`, which must be zero-filled.  Returns
// true when the whole block was read and the summary printed; otherwise
// prints one message on standard error and returns false.
bool readDataFile(const char* fileName, SampleData& rec, Console& con);

// The same reading, from bytes already in memory; `fileName` is only shown.
bool readDataBytes(const char* fileName, const unsigned char* data,
                   size_t size, SampleData& rec, Console& con);
