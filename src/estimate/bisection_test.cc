// Tests of the bisection search: the worked search step by step, each way it
// refuses, and the precision of its stored values.
#include "estimate/bisection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "records.h"
#include "test_support.h"

namespace {

// Every theta the search tries, in order, and the score it got.
std::vector<float> tried;
double (*inner)(float) = nullptr;

double logged(float theta, const SampleData& d, const SampleSizeTable& n,
              const AlleleFreqTable& p) {
  tried.push_back(theta);
  return inner ? inner(theta) : thetaScore(theta, d, n, p);
}

struct Search {
  Record d;
  AlleleFreqTable f;
  SampleSizeTable n;
  CapturedConsole c;
  float root = -1;
  // Runs the driver's search with the real score, or with `fn` standing in
  // for it.
  bool run(double (*fn)(float) = nullptr, float lo = kThetaLow,
           float hi = kThetaHigh, float tol = kThetaTolerance) {
    buildAlleleFreqTable(*d, f);
    buildSampleSizeTable(*d, n);
    tried.clear();
    inner = fn;
    return bisectRoot(logged, lo, hi, tol, *d, n, f, c.con, &root);
  }
};

const char kNotWithin[] =
    "\nEstimate of theta is not within interval 0.00001 to 10000";

TEST(Bisection, WorkedSearch) {
  Search s;
  setCounts(*s.d, {{{3, 1}, {0, 4}}});
  ASSERT_TRUE(s.run());
  EXPECT_EQ(s.root, 0x1.26aa92p+0f);  // 1.15104
  EXPECT_EQ(thetaVariance(s.root, *s.d, s.n, s.f), 0x1.9c15b31c6d437p+1);
  // Two ends, then 27 midpoints from the upper end down.
  ASSERT_EQ(tried.size(), 29u);
  EXPECT_EQ(tried[0], kThetaLow);
  EXPECT_EQ(tried[1], kThetaHigh);
  EXPECT_EQ(tried[2], 5000.0f);
  EXPECT_EQ(tried[3], 2500.0f);
  EXPECT_EQ(tried[14], 1.2207031f);   // the 13th halving: anchor moves here
  EXPECT_EQ(tried[15], 0.61035156f);  // positive score: the anchor stays
  EXPECT_EQ(s.c.err(), "");
}

TEST(Bisection, NoSignChangeOverTheInterval) {
  struct {
    const char* what;
    std::initializer_list<std::vector<std::vector<int>>> loci;
  } cases[] = {
      {"identical populations", {{{5, 5}, {5, 5}}}},
      {"fixed for different alleles", {{{4, 0}, {0, 4}}}},
      {"every locus one allele", {{{3}, {4}}, {{2}, {2}}}},
  };
  for (const auto& k : cases) {
    Search s;
    setCounts(*s.d, k.loci);
    EXPECT_FALSE(s.run()) << k.what;
    EXPECT_EQ(s.c.err(), kNotWithin) << k.what;
    EXPECT_EQ(tried.size(), 2u) << k.what;
  }
}

TEST(Bisection, AnchorClimbsFromBelow) {
  Search s;
  ASSERT_TRUE(s.run([](float t) { return t - 2.5; }));
  EXPECT_LE(s.root, 2.5f);
  EXPECT_GT(s.root + kThetaTolerance, 2.5f);
  EXPECT_EQ(tried[2], 5000.00001f);  // the first step is upwards
}

TEST(Bisection, ExactZeroAtAMidpointEndsTheSearch) {
  Search s;
  // The first midpoint, 0.00001 + 5000, rounds to 5000 in single precision.
  ASSERT_TRUE(s.run([](float t) { return t - 5000.0; }));
  EXPECT_EQ(s.root, 5000.0f);
  EXPECT_EQ(tried.size(), 3u);
}

TEST(Bisection, EstimateAboveSingleSpacing) {
  // Above 1024 single-precision values lie further apart than the tolerance:
  // the anchor stops on the last value at or above the sign change.
  Search s;
  const double root = 1500.3;
  ASSERT_TRUE(s.run([](float t) { return 1500.3 - t; }));
  const float spacing = std::nextafter(s.root, 2e3f) - s.root;
  EXPECT_GT(spacing, kThetaTolerance);
  EXPECT_GE(s.root, root);
  EXPECT_LE(s.root - root, spacing);
  EXPECT_EQ(tried.size(), 29u);
}

TEST(Bisection, ScoreAtTheLowerEndStoredInSinglePrecision) {
  // A score too small for single precision at the lower end becomes 0, and
  // the product test then refuses the interval.
  Search s;
  EXPECT_FALSE(s.run([](float t) { return t < 1 ? 1e-50 : -1.0; }));
  EXPECT_EQ(s.c.err(), kNotWithin);
}

TEST(Bisection, TooManyBisections) {
  Search s;
  EXPECT_FALSE(s.run([](float t) { return 1.3 - t; }, 1.0f, 2.0f, 1e-20f));
  EXPECT_EQ(s.c.err(), "\nToo many bisections");
  EXPECT_EQ(tried.size(), 42u);
}

}  // namespace
