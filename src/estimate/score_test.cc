// Tests of the score and variance of theta, to the last bit.
#include "estimate/score.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <thread>

#include "records.h"
#include "reference_score.h"
#include "test_support.h"

// The sanitizers bring their own allocator and thread start; these tests
// stand in for both, so they are left out of sanitized builds.
#if defined(__SANITIZE_ADDRESS__)
#define VURN_STAND_INS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VURN_STAND_INS 0
#endif
#endif
#ifndef VURN_STAND_INS
#define VURN_STAND_INS 1
#endif

#if VURN_STAND_INS
// Stand-ins for the heap and the thread start, linked into the test program
// in place of the library's: while `counting` is set, every request of the
// C++ heap is counted; while `refuseThreads` is set, no thread can be
// started.
namespace {
std::atomic<bool> counting{false};
std::atomic<int> heapRequests{0};
std::atomic<bool> refuseThreads{false};
std::atomic<int> threadRequests{0};
}  // namespace

// The replacements pair malloc with free, which GCC cannot see through
// once they are inlined into the library's calls.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
  if (counting) ++heapRequests;
  if (void* q = std::malloc(size ? size : 1)) return q;
  throw std::bad_alloc();
}
void operator delete(void* q) noexcept { std::free(q); }
void operator delete(void* q, std::size_t) noexcept { std::free(q); }

extern "C" int pthread_create(pthread_t* id, const pthread_attr_t* attr,
                              void* (*start)(void*), void* arg) {
  ++threadRequests;
  if (refuseThreads) return EAGAIN;
  using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
  static const Create real =
      reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
  return real(id, attr, start, arg);
}
#endif

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

#if VURN_STAND_INS
// A record with enough copies for the loci to be shared between threads.
void fillThreadedRecord(SampleData& d) {
  d.npops = 60;
  d.nloci = 12;
  for (int l = 1; l <= d.nloci; ++l) {
    d.nAlleles[l] = 5;
    for (int p = 1; p <= d.npops; ++p)
      for (int j = 1; j <= 5; ++j) d.count[p][l][j] = (p * 37 + l * 11 + j * 101) % 700;
  }
}

TEST(Score, EvaluationMakesNoHeapRequest) {
  Prepared e;
  fillThreadedRecord(*e.d);
  e.build();
  heapRequests = 0;
  counting = true;
  const double score = e.score(3.5f);
  const double variance = e.variance(3.5f);
  counting = false;
  EXPECT_EQ(heapRequests, 0);
  EXPECT_EQ(score, referenceThetaScore(3.5f, *e.d, e.n, e.f));
  EXPECT_EQ(variance, referenceThetaVariance(3.5f, *e.d, e.n, e.f));
}

TEST(Score, ThreadsThatCannotStartLeaveTheWorkToTheCaller) {
  Prepared e;
  fillThreadedRecord(*e.d);
  e.build();
  threadRequests = 0;
  refuseThreads = true;
  const double score = e.score(3.5f);
  const double variance = e.variance(3.5f);
  refuseThreads = false;
  if (std::thread::hardware_concurrency() > 1) {
    EXPECT_GT(threadRequests, 0);
  }
  EXPECT_EQ(score, referenceThetaScore(3.5f, *e.d, e.n, e.f));
  EXPECT_EQ(variance, referenceThetaVariance(3.5f, *e.d, e.n, e.f));
}
#endif

}  // namespace
