// Tests of the pooled frequency and sample size tables.
#include "estimate/tables.h"

#include <gtest/gtest.h>

#include <cmath>

#include "records.h"
#include "test_support.h"

namespace {

TEST(Tables, TwoPopulationsOneLocus) {
  Record d;
  setCounts(*d, {{{3, 1}, {0, 4}}});
  AlleleFreqTable f;
  SampleSizeTable n;
  buildAlleleFreqTable(*d, f);
  buildSampleSizeTable(*d, n);
  EXPECT_EQ(f.freq[1][1], 0.375f);
  EXPECT_EQ(f.freq[1][2], 0.625f);
  EXPECT_EQ(n.size[1][1], 4);
  EXPECT_EQ(n.size[2][1], 4);
}

TEST(Tables, FrequenciesRoundedToSinglePrecision) {
  Record d;
  setCounts(*d, {{{6, 2, 0}, {1, 4, 3}, {2, 2, 4}}});
  AlleleFreqTable f;
  SampleSizeTable n;
  buildAlleleFreqTable(*d, f);
  buildSampleSizeTable(*d, n);
  EXPECT_EQ(f.freq[1][1], 0x1.8p-2f);       // 0.375
  EXPECT_EQ(f.freq[1][2], 0x1.555556p-2f);  // 0.33333334
  EXPECT_EQ(f.freq[1][3], 0x1.2aaaaap-2f);  // 0.29166666
  for (int p = 1; p <= 3; ++p) EXPECT_EQ(n.size[p][1], 8);
}

TEST(Tables, LociWithoutCopies) {
  Record d;
  // Locus 1 has no alleles at all; locus 2 lists alleles with no copies.
  setCounts(*d, {{{}, {}}, {{0, 0}, {0, 0}}, {{1, 0}, {0, 2}}});
  AlleleFreqTable f;
  SampleSizeTable n;
  f.freq[1][1] = -7;  // not an element of the locus: left alone
  buildAlleleFreqTable(*d, f);
  buildSampleSizeTable(*d, n);
  EXPECT_EQ(f.freq[1][1], -7);
  EXPECT_TRUE(std::isnan(f.freq[2][1]));
  EXPECT_TRUE(std::isnan(f.freq[2][2]));
  EXPECT_EQ(f.freq[3][1], 1.0f / 3);
  for (int p = 1; p <= 2; ++p) {
    EXPECT_EQ(n.size[p][1], 0);
    EXPECT_EQ(n.size[p][2], 0);
  }
  EXPECT_EQ(n.size[2][3], 2);
}

TEST(Tables, NoLociWritesNothing) {
  Record d;
  d->npops = 2;
  d->nloci = 0;
  AlleleFreqTable f;
  SampleSizeTable n;
  f.freq[1][1] = -1;
  n.size[1][1] = -1;
  buildAlleleFreqTable(*d, f);
  buildSampleSizeTable(*d, n);
  EXPECT_EQ(f.freq[1][1], -1);
  EXPECT_EQ(n.size[1][1], -1);
}

TEST(Tables, PooledCopiesRoundedAtEachAddition) {
  // Past 2^24 the pooled sum is rounded to single precision at each step.
  Record d;
  setCounts(*d, {{{16777216, 1}, {1, 1}, {1, 0}}});
  AlleleFreqTable f;
  buildAlleleFreqTable(*d, f);
  // 2^24 + 1 rounds down to 2^24 and so does the next 1: the pooled count
  // is 2^24, not 2^24 + 2.
  double pooled1 = 16777216.0, pooled2 = 2.0;
  EXPECT_EQ(f.freq[1][1], static_cast<float>(pooled1 / (pooled1 + pooled2)));
  EXPECT_EQ(f.freq[1][2], static_cast<float>(pooled2 / (pooled1 + pooled2)));
}

}  // namespace
