// One evaluation of the score and of the variance on large records, against
// the plain loops that divide once per copy.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/console.h"
#include "data_gen.h"
#include "estimate/score.h"
#include "estimate/tables.h"
#include "input/data_file.h"
#include "input/sample_data.h"
#include "reference_score.h"

namespace {

struct Large {
  SampleData* d = newSampleData();
  AlleleFreqTable f;
  SampleSizeTable n;
  float theta = 1;  // near the estimate
};

void finish(Large& r) {
  buildAlleleFreqTable(*r.d, r.f);
  buildSampleSizeTable(*r.d, r.n);
}

// The diploid study at the capacity limits: 99 populations, 99 loci, 1000
// individuals each; read from the generated file.
const Large& diploidStudy() {
  static Large r;
  static bool done = false;
  if (!done) {
    std::string text;
    generateData(DataParams{}, [&](const std::string& piece) { text += piece; });
    static FILE* devnull = std::fopen("/dev/null", "w");
    Console con{stdin, devnull, stderr};
    if (!readDataBytes("bench", reinterpret_cast<const unsigned char*>(text.data()),
                       text.size(), *r.d, con))
      std::abort();
    finish(r);
    r.theta = 65.22f;
    done = true;
  }
  return r;
}

// Counts like those of a 1 GB haploid file (99 populations, 99 loci, 94000
// individuals each), made directly: every population's copies spread over
// eight alleles in proportions that fall off geometrically and differ a
// little between populations.
const Large& haploidGigabyte() {
  static Large r;
  static bool done = false;
  if (!done) {
    SampleData& d = *r.d;
    d.npops = 99;
    d.nloci = 99;
    datagen::Rng rng{7};
    for (int l = 1; l <= d.nloci; ++l) {
      d.nAlleles[l] = 8;
      const double decay = 0.55 + 0.4 * (rng.u32() / 4294967296.0);
      for (int p = 1; p <= d.npops; ++p) {
        double w[9], total = 0, base = 1;
        for (int j = 1; j <= 8; ++j) {
          w[j] = base * (0.4 + 1.2 * (rng.u32() / 4294967296.0));
          base *= decay;
          total += w[j];
        }
        for (int j = 1; j <= 8; ++j)
          d.count[p][l][j] = static_cast<int32_t>(std::lround(94000 * w[j] / total));
      }
    }
    finish(r);
    r.theta = 65.0f;
    done = true;
  }
  return r;
}

const Large& record(int which) { return which == 0 ? diploidStudy() : haploidGigabyte(); }

void BM_Score(benchmark::State& state) {
  const Large& r = record(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(thetaScore(r.theta, *r.d, r.n, r.f));
}
BENCHMARK(BM_Score)->ArgName("haploid1GB")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

void BM_Variance(benchmark::State& state) {
  const Large& r = record(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(thetaVariance(r.theta, *r.d, r.n, r.f));
}
BENCHMARK(BM_Variance)->ArgName("haploid1GB")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

// The plain loops, for comparison: one division per copy.
void BM_ScorePlainLoops(benchmark::State& state) {
  const Large& r = record(static_cast<int>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(referenceThetaScore(r.theta, *r.d, r.n, r.f));
}
BENCHMARK(BM_ScorePlainLoops)->ArgName("haploid1GB")->Arg(0)->Arg(1)
    ->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
