// Tests of the score and variance of theta, to the last bit.
#include "estimate/score.h"

#include <gtest/gtest.h>

#include <cmath>

#include "records.h"
#include "test_support.h"

namespace {

struct Prepared {
  Record d;
  AlleleFreqTable f;
  SampleSizeTable n;
  void build() {
    buildAlleleFreqTable(*d, f);
    buildSampleSizeTable(*d, n);
  }
  double score(float theta) { return thetaScore(theta, *d, n, f); }
  double variance(float theta) { return thetaVariance(theta, *d, n, f); }
};

TEST(Score, WorkedExampleToTheBit) {
  Prepared e;
  setCounts(*e.d, {{{3, 1}, {0, 4}}});
  e.build();
  EXPECT_EQ(e.score(1), 0x1.e3fb3bf169b2p-5);     // 0.0590798
  EXPECT_EQ(e.score(2), -0x1.94fbe0dacd54p-4);    // -0.0988730
  EXPECT_EQ(e.variance(1), 0x1.0723c684376d5p+1); // 2.05578
  // Near zero each allele beyond the first adds about 1/theta.
  EXPECT_EQ(e.score(0.00001f), 0x1.869e0b518b7f2p+16);  // 99998.04
}

TEST(Score, SingleAlleleLocusAddsExactlyZero) {
  Prepared one, both;
  setCounts(*one.d, {{{3, 1}, {0, 4}}});
  setCounts(*both.d, {{{3, 1}, {0, 4}}, {{7}, {5}}});
  one.build();
  both.build();
  for (float theta : {0.00001f, 0.5f, 1.0f, 3.7f, 10000.0f}) {
    EXPECT_EQ(both.score(theta), one.score(theta)) << theta;
    EXPECT_EQ(both.variance(theta), one.variance(theta)) << theta;
  }
  Prepared only;
  setCounts(*only.d, {{{7}, {5}}, {{2}, {9}}});
  only.build();
  EXPECT_EQ(only.score(1.0f), 0.0);
  EXPECT_EQ(only.score(10000.0f), 0.0);
}

TEST(Score, PopulationWithoutCopiesAddsNothing) {
  Prepared two, three;
  setCounts(*two.d, {{{3, 1}, {0, 4}}});
  setCounts(*three.d, {{{3, 1}, {0, 4}, {0, 0}}});
  two.build();
  three.build();
  EXPECT_EQ(three.score(1.5f), two.score(1.5f));
  EXPECT_EQ(three.variance(1.5f), two.variance(1.5f));
}

TEST(Score, NothingToSum) {
  Prepared noPops, noLoci, noCopies;
  noPops.d->npops = 0;
  noPops.d->nloci = 1;
  noLoci.d->npops = 2;
  noLoci.d->nloci = 0;
  setCounts(*noCopies.d, {{{0, 0}, {0, 0}}});
  for (Prepared* e : {&noPops, &noLoci, &noCopies}) {
    e->build();
    EXPECT_EQ(e->score(1.0f), 0.0);
    EXPECT_EQ(e->score(0.00001f), 0.0);
    EXPECT_EQ(e->variance(1.0f), -INFINITY);
  }
}

}  // namespace
