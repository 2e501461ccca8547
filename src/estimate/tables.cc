// Building the allele frequency and sample size tables.
#include "estimate/tables.h"

void buildAlleleFreqTable(const SampleData& d, AlleleFreqTable& t) {
  for (int l = 1; l <= d.nloci; ++l) {
    for (int j = 1; j <= d.nAlleles[l]; ++j) {
      float& e = t.freq[l][j];
      e = 0;
      for (int p = 1; p <= d.npops; ++p)
        e = static_cast<float>(static_cast<double>(e) + d.count[p][l][j]);
    }
  }
  for (int l = 1; l <= d.nloci; ++l) {
    double total = 0;
    for (int j = 1; j <= d.nAlleles[l]; ++j) total += t.freq[l][j];
    for (int j = 1; j <= d.nAlleles[l]; ++j)
      t.freq[l][j] = static_cast<float>(t.freq[l][j] / total);
  }
}

void buildSampleSizeTable(const SampleData& d, SampleSizeTable& t) {
  for (int p = 1; p <= d.npops; ++p) {
    for (int l = 1; l <= d.nloci; ++l) {
      int32_t n = 0;
      for (int j = 1; j <= d.nAlleles[l]; ++j) n += d.count[p][l][j];
      t.size[p][l] = n;
    }
  }
}
