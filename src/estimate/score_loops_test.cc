// The score and variance against the plain loops, to the last bit, on many
// random records: counts small and large, populations without copies, loci
// with one allele, and every theta the search tries on them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "estimate/bisection.h"
#include "estimate/score.h"
#include "estimate/tables.h"
#include "reference_score.h"
#include "test_support.h"

namespace {

struct Rng {
  uint64_t s;
  uint64_t next() {
    uint64_t z = (s += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
  double unit() { return (next() >> 11) * 0x1p-53; }
};

// The shape of a random record.
struct Shape {
  const char* name;
  int maxPops, maxLoci, maxAlleles;
  int maxCount;      // counts are drawn up to about this many
  double zeroShare;  // share of counts set to 0
};

// Fills the record with counts drawn per allele around a population's own
// frequencies, so that populations differ and the search finds a root.
void randomRecord(Rng& rng, const Shape& shape, SampleData& d) {
  std::memset(d.count, 0, sizeof d.count);
  d.npops = 1 + rng.below(shape.maxPops);
  d.nloci = 1 + rng.below(shape.maxLoci);
  for (int l = 1; l <= d.nloci; ++l) {
    d.nAlleles[l] = 1 + rng.below(shape.maxAlleles);
    const int size = 1 + rng.below(shape.maxCount);
    for (int p = 1; p <= d.npops; ++p) {
      for (int j = 1; j <= d.nAlleles[l]; ++j) {
        if (rng.unit() < shape.zeroShare) continue;
        const double share = rng.unit() * rng.unit();
        d.count[p][l][j] = static_cast<int32_t>(share * size) + rng.below(3);
      }
    }
  }
}

struct Tables {
  AlleleFreqTable f;
  SampleSizeTable n;
};

// The same bits, or both not a number (whose bits depend on which operand
// carried it).
bool same(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

// Checks the two functions at one theta, with every way of walking the sums
// and in the narrowest and the widest vectors; returns false after the first
// difference so that one bad record does not flood the log.
bool sameAt(float theta, const SampleData& d, const Tables& t,
            const std::string& where) {
  const double plain = referenceThetaScore(theta, d, t.n, t.f);
  const double plainV = referenceThetaVariance(theta, d, t.n, t.f);
  bool ok = true;
  for (int walk : {0, 1, 2}) {
    for (bool narrow : {false, true}) {
      scoreWalkForTests = walk;
      scoreNarrowForTests = narrow;
      const double fast = thetaScore(theta, d, t.n, t.f);
      const double fastV = thetaVariance(theta, d, t.n, t.f);
      scoreWalkForTests = 0;
      scoreNarrowForTests = false;
      const std::string how = " (walk " + std::to_string(walk) +
                              (narrow ? ", narrow)" : ", widest)");
      EXPECT_TRUE(same(fast, plain)) << where << how << " score at theta " << theta
                                     << ": " << fast << " vs " << plain;
      EXPECT_TRUE(same(fastV, plainV)) << where << how << " variance at theta "
                                       << theta << ": " << fastV << " vs " << plainV;
      ok = ok && same(fast, plain) && same(fastV, plainV);
      if (!ok) return false;
    }
  }
  return ok;
}

// Every theta the search tries, with the plain score doing the deciding.
std::vector<float> tried;
double loggedPlain(float theta, const SampleData& d, const SampleSizeTable& n,
                   const AlleleFreqTable& p) {
  tried.push_back(theta);
  return referenceThetaScore(theta, d, n, p);
}

TEST(ScoreMatchesLoops, RandomRecordsAtRandomThetas) {
  const Shape shapes[] = {
      {"tiny", 4, 3, 4, 6, 0.3},
      {"small", 20, 6, 10, 60, 0.2},
      {"many alleles", 12, 4, 49, 400, 0.1},
      {"large counts", 6, 3, 5, 30000, 0.2},
      {"wide", 99, 5, 8, 300, 0.05},
      // Counts from a handful to thousands at one locus: windows walked side
      // by side and on the binade tables by turns.
      {"mixed counts", 40, 3, 6, 9000, 0.3},
  };
  Rng rng{20240611};
  Record d;
  for (const Shape& shape : shapes) {
    for (int rec = 0; rec < 12; ++rec) {
      randomRecord(rng, shape, *d);
      Tables t;
      buildAlleleFreqTable(*d, t.f);
      buildSampleSizeTable(*d, t.n);
      for (int i = 0; i < 8; ++i) {
        // Log-uniform over the search interval and a little beyond.
        const float theta = static_cast<float>(std::exp2(-18 + 33 * rng.unit()));
        if (!sameAt(theta, *d, t, std::string(shape.name) + " #" + std::to_string(rec)))
          break;
      }
    }
  }
}

// The searches on these records take the same midpoints and end at the same
// estimate, whichever score decides; at every midpoint the two agree.
TEST(ScoreMatchesLoops, EveryMidpointOfTheSearch) {
  const Shape shapes[] = {
      {"small", 10, 4, 6, 40, 0.2},
      {"medium", 40, 4, 10, 2000, 0.1},
      // Enough copies for the work to be shared between threads.
      {"threaded", 99, 8, 8, 3000, 0.02},
  };
  Rng rng{777};
  Record d;
  int searched = 0;
  for (const Shape& shape : shapes) {
    for (int rec = 0; rec < 4; ++rec) {
      randomRecord(rng, shape, *d);
      Tables t;
      buildAlleleFreqTable(*d, t.f);
      buildSampleSizeTable(*d, t.n);
      CapturedConsole plainCon, fastCon;
      float plainRoot = -1, fastRoot = -1;
      tried.clear();
      const bool plainOk = bisectRoot(loggedPlain, kThetaLow, kThetaHigh,
                                      kThetaTolerance, *d, t.n, t.f,
                                      plainCon.con, &plainRoot);
      const bool fastOk = bisectRoot(thetaScore, kThetaLow, kThetaHigh,
                                     kThetaTolerance, *d, t.n, t.f,
                                     fastCon.con, &fastRoot);
      const std::string where = std::string(shape.name) + " #" + std::to_string(rec);
      ASSERT_EQ(fastOk, plainOk) << where;
      EXPECT_EQ(fastCon.err(), plainCon.err()) << where;
      if (!plainOk) continue;
      ++searched;
      EXPECT_EQ(fastRoot, plainRoot) << where;
      for (float theta : tried)
        if (!sameAt(theta, *d, t, where)) break;
      // Either side of the estimate, one single-precision step away.
      sameAt(std::nextafter(plainRoot, 0.0f), *d, t, where);
      sameAt(std::nextafter(plainRoot, 1e9f), *d, t, where);
    }
  }
  EXPECT_GE(searched, 6);  // most records have a root in the interval
}

// Dyadic frequencies and thetas make many terms and sums exact, so running
// sums land exactly on powers of two and increments fall exactly halfway
// between two neighbours: the cases where rounding is decided by a tie or by
// the next binade.
TEST(ScoreMatchesLoops, SumsOnBinadeEdgesAndTies) {
  Rng rng{99};
  Record d;
  std::vector<float> thetas;
  for (int e = -17; e <= 13; ++e) thetas.push_back(std::ldexp(1.0f, e));
  for (int i = 3; i <= 40; ++i) thetas.push_back(static_cast<float>(i) / 4);
  for (int rec = 0; rec < 40; ++rec) {
    std::memset(d->count, 0, sizeof d->count);
    d->npops = 2 + rng.below(6);
    d->nloci = 1 + rng.below(3);
    for (int l = 1; l <= d->nloci; ++l) {
      // Pooled counts per allele in proportions 1/2, 1/4, 1/8, ... so the
      // frequencies are powers of two.
      d->nAlleles[l] = 1 + rng.below(4);
      const int unit = 1 << rng.below(6);
      for (int j = 1; j <= d->nAlleles[l]; ++j) {
        int pooled = unit << (d->nAlleles[l] - j);
        if (j == d->nAlleles[l]) pooled = unit;  // 1/2, 1/4, ..., 1/2^(m-1), 1/2^(m-1)
        for (int p = 1; p <= d->npops && pooled > 0; ++p) {
          const int c = p == d->npops ? pooled : rng.below(pooled + 1);
          d->count[p][l][j] = c;
          pooled -= c;
        }
      }
    }
    Tables t;
    buildAlleleFreqTable(*d, t.f);
    buildSampleSizeTable(*d, t.n);
    for (float theta : thetas)
      if (!sameAt(theta, *d, t, "dyadic #" + std::to_string(rec))) break;
  }
}

// Tables the record alone would not produce: a zero frequency for an allele
// that has copies, and thetas outside the search interval.  The sums then hold
// infinities or not-a-numbers, and still match the loops.
TEST(ScoreMatchesLoops, UnusualArguments) {
  Record d;
  d->npops = 2;
  d->nloci = 2;
  d->nAlleles[1] = 2;
  d->nAlleles[2] = 3;
  const int counts[2][2][3] = {{{5, 3, 0}, {2, 2, 7}}, {{0, 9, 0}, {4, 0, 1}}};
  for (int p = 0; p < 2; ++p)
    for (int l = 0; l < 2; ++l)
      for (int j = 0; j < 3; ++j) d->count[p + 1][l + 1][j + 1] = counts[p][l][j];
  Tables t;
  buildAlleleFreqTable(*d, t.f);
  buildSampleSizeTable(*d, t.n);
  for (float theta : {0.0f, -0.0f, -1.5f, -3.0f, 1e-40f, 3e38f, INFINITY, NAN})
    sameAt(theta, *d, t, "plain tables");
  t.f.freq[2][2] = 0;    // an allele with copies but no frequency
  t.n.size[1][2] = 100;  // more sample copies than allele copies
  for (float theta : {0.5f, 1e-5f, 1e4f})
    sameAt(theta, *d, t, "altered tables");
}

}  // namespace
