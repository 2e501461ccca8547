// The score and variance of theta written as the plain loops, one division
// per allele copy and per sample copy.  The estimator's own functions share
// terms between populations and run populations side by side; the tests hold
// them to these loops bit for bit.
#pragma once

#include <cstdint>

#include "estimate/tables.h"
#include "input/sample_data.h"

inline double referenceThetaScore(float theta, const SampleData& d,
                                  const SampleSizeTable& n,
                                  const AlleleFreqTable& p) {
  double total = 0;
  if (d.npops < 1) return total;
  const double th = theta;
  for (int pop = 1; pop <= d.npops; ++pop) {
    for (int l = 1; l <= d.nloci; ++l) {
      double a = 0, b = 0;
      for (int j = 1; j <= d.nAlleles[l]; ++j) {
        int32_t c = d.count[pop][l][j];
        if (c < 1) continue;  // its frequency is not read
        double r = 1.0 / static_cast<double>(p.freq[l][j]);
        for (int32_t k = 0; k < c; ++k) a += 1.0 / (th + k * r);
      }
      for (int32_t k = 0; k < n.size[pop][l]; ++k) b += 1.0 / (th + k);
      total += a - b;
    }
  }
  return total;
}

inline double referenceThetaVariance(float theta, const SampleData& d,
                                     const SampleSizeTable& n,
                                     const AlleleFreqTable& p) {
  double total = 0;
  const double th = theta;
  if (d.npops >= 1) {
    for (int pop = 1; pop <= d.npops; ++pop) {
      for (int l = 1; l <= d.nloci; ++l) {
        double a = 0, b = 0;
        for (int j = 1; j <= d.nAlleles[l]; ++j) {
          int32_t c = d.count[pop][l][j];
          if (c < 1) continue;
          double r = 1.0 / static_cast<double>(p.freq[l][j]);
          for (int32_t k = 0; k < c; ++k) {
            double v = 1.0 / (th + k * r);
            a += v * v;
          }
        }
        for (int32_t k = 0; k < n.size[pop][l]; ++k) {
          double w = 1.0 / (th + k);
          b += w * w;
        }
        total += b - a;
      }
    }
  }
  return -1.0 / total;
}
