// Small sample records for the estimator tests, built from count tables.
#pragma once

#include <initializer_list>
#include <vector>

#include "input/sample_data.h"

// Fills `d` for one locus per entry of `loci`; each locus lists, for each
// population, its counts by allele number.  All loci have the same number of
// populations.
inline void setCounts(
    SampleData& d,
    std::initializer_list<std::vector<std::vector<int>>> loci) {
  d.nloci = static_cast<int>(loci.size());
  int l = 0;
  for (const auto& locus : loci) {
    ++l;
    d.npops = static_cast<int>(locus.size());
    int p = 0;
    for (const auto& pop : locus) {
      ++p;
      d.nAlleles[l] = static_cast<int>(pop.size());
      for (size_t j = 0; j < pop.size(); ++j)
        d.count[p][l][j + 1] = pop[j];
    }
  }
}
