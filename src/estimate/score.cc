// The score and the variance of theta, summed in a fixed order.
//
// Written literally, every allele copy costs one division and one addition
// at every trial theta.  The result here is the same to the last bit, with
// far less work:
//
// - The term 1/(theta + k*r) depends only on the locus, the allele and k, so
//   each is formed once per call and shared by all populations.  The sample
//   sum B of a population is the sum of the first n terms 1/(theta + k)
//   added in order from 0, so one running sum serves every population and
//   locus.
//
// - The allele sum A of a population continues one running sum from allele
//   to allele, so each population must still see every one of its terms
//   added in order.  While that running sum s stays within one binade
//   [2^e, 2^(e+1)), every representable value is a multiple of
//   u = 2^(e-52), and s + t rounds to s plus t rounded to a multiple of u:
//   the rounded increment does not depend on s (unless t/u lies exactly
//   halfway between two multiples).  So one table per binade of the
//   increments' running totals, shared by every population whose sum lies in
//   that binade, gives the sum after any run of terms with one subtraction.
//   Each population looks up how far it can go before its sum would leave
//   the binade, and adds the term that takes it out in floating point.
//
// - Where counts are small, sums cross binades every few terms and the
//   lookups cost more than the additions they save.  There the populations
//   run side by side in vector lanes instead, each lane adding its own
//   population's terms in order and exactly nothing once its count is
//   reached.  Each window of terms takes whichever way a rough cost
//   estimate prefers; both give the same bits.
//
// - Loci are independent: they are shared between threads, and each
//   population and locus difference A - B is added to the total in the
//   original order afterwards.
//
// An evaluation allocates nothing and cannot throw: its working space is
// static, and a helper thread that cannot be started leaves its loci to the
// threads that did start (the calling thread at least).
#include "estimate/score.h"

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <thread>

int scoreWalkForTests = 0;
bool scoreNarrowForTests = false;

namespace {

// Terms are formed and walked through in windows of this many, so memory does
// not grow with the counts.  It also bounds the tables' running totals: each
// increment is below 2^52, so totals over one window stay below 2^63.
constexpr int kWindow = 2048;

constexpr uint64_t kMantissa = (uint64_t{1} << 52) - 1;
constexpr uint64_t kHidden = uint64_t{1} << 52;
constexpr uint64_t kBinadeEnd = uint64_t{1} << 53;
// An increment that no sum can take within its binade: the term is added in
// floating point instead.
constexpr uint64_t kStop = uint64_t{1} << 52;

inline uint64_t bitsOf(double x) {
  uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

inline double fromBits(uint64_t b) {
  double x;
  std::memcpy(&x, &b, sizeof x);
  return x;
}

// Biased exponent field of a sum whose binade the tables can serve: positive,
// normal and far from both ends of the range; 0 otherwise.
inline int tableBinade(double s) {
  const int e = static_cast<int>(bitsOf(s) >> 52);  // sign bit makes it > 2047
  return e >= 64 && e <= 2000 ? e : 0;
}

// One term of the sum: 1/(theta + k*r), squared for the variance.
template <bool kSquared>
inline double term(double th, int32_t k, double r) {
  const double v = 1.0 / (th + k * r);
  if (kSquared) return v * v;
  return v;
}

// Widest group of doubles handled together; the term window has this much
// room past its end, since groups may read a little beyond.
constexpr int kMaxLanes = 8;

// The rounded increments d[0..n) of terms t[0..n) for a binade whose unit is
// 1/scale: t*scale rounded to a whole number, or kStop where that is negative,
// very large, not a number, or exactly halfway between two whole numbers (a
// tie, whose rounding depends on the sum the term is added to).  Formed
// kLanes at a time without branches; every operation is exact or rounds the
// same way in every lane width, so the width changes nothing in the result.
template <int kLanes>
__attribute__((always_inline)) inline void incrementsOf(const double* t, double scale,
                                                        int n, uint64_t* d) {
  typedef double F __attribute__((vector_size(8 * kLanes)));
  typedef uint64_t U __attribute__((vector_size(8 * kLanes)));
  typedef int64_t M __attribute__((vector_size(8 * kLanes)));
  const double shift = 0x1p52;
  const uint64_t shiftBits = bitsOf(shift);
  for (int k = 0; k < n; k += kLanes) {
    F x;
    std::memcpy(&x, t + k, sizeof x);
    x *= scale;                // exact: scaled by a power of two
    const F y = x + shift;     // rounds x to a whole number
    const F off = (y - shift) - x;
    const F offMagnitude =
        reinterpret_cast<F>(reinterpret_cast<U>(off) & 0x7fffffffffffffffULL);
    const M usable = (x >= 0.0) & (x < 0x1p51) & (offMagnitude != 0.5);
    const U whole = reinterpret_cast<U>(y) - shiftBits;
    const U inc = (whole & reinterpret_cast<U>(usable)) |
                  (kStop & ~reinterpret_cast<U>(usable));
    std::memcpy(d + k, &inc, sizeof inc);
  }
}

void incrementsNarrow(const double* t, double scale, int n, uint64_t* d) {
  incrementsOf<2>(t, scale, n, d);
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VURN_WIDE_TARGET "avx2"
__attribute__((target(VURN_WIDE_TARGET))) void incrementsWide(const double* t,
                                                              double scale, int n,
                                                              uint64_t* d) {
  incrementsOf<4>(t, scale, n, d);
}

using IncrementsFn = void (*)(const double*, double, int, uint64_t*);
IncrementsFn pickIncrements() {
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return incrementsWide;
  return incrementsNarrow;
}
const IncrementsFn increments = pickIncrements();
#else
const auto increments = incrementsNarrow;
#endif

// Running totals of the rounded increments of one binade over a stretch of
// the window, built on demand.
// Set up by reset() before each use.
struct BinadeTable {
  int binade;      // biased exponent field
  int base;        // window position of total[0]
  int built;       // total[0..built] are valid
  double scale;    // 1/u = 2^(52 - unbiased exponent)
  uint64_t total[kWindow + 1];

  void reset(int e, int start) {
    binade = e;
    base = start;
    built = 0;
    total[0] = 0;
    scale = fromBits(static_cast<uint64_t>(2098 - e) << 52);
  }

  // Makes total[] valid up to window position `upto` (exclusive of terms
  // at and after it).
  void extend(const double* t, int upto) {
    int i = base + built;
    if (upto <= i) return;
    uint64_t run = total[built];
    uint64_t* out = &total[built + 1];
    while (i < upto) {
      // The increments of a block, then their running total.
      const int n = std::min(upto - i, kBlock);
      uint64_t d[kBlock + kMaxLanes];
      (scoreNarrowForTests ? incrementsNarrow : increments)(t + i, scale, n, d);
      for (int k = 0; k < n; ++k) {
        run += d[k];
        out[k] = run;
      }
      out += n;
      i += n;
    }
    built = upto - base;
  }

  static constexpr int kBlock = 256;
};

struct Lane {
  double s;     // the population's allele sum so far
  double* out;  // where the sum goes when this window is done with it
  int pos;      // next window position
  int end;    // window position where this population's count ends
};

// Adds window terms t[pos..end) to every lane's running sum, each as if added
// one at a time in floating point.
void advanceLanes(const double* t, Lane* lanes, int nLanes, BinadeTable& table) {
  int live = nLanes;
  while (live > 0) {
    // Sums the tables cannot serve take their terms one by one.
    for (int i = 0; i < live; ++i) {
      Lane& ln = lanes[i];
      while (ln.pos < ln.end && !tableBinade(ln.s)) ln.s += t[ln.pos++];
    }
    int kept = 0;
    for (int i = 0; i < live; ++i) {
      if (lanes[i].pos < lanes[i].end)
        lanes[kept++] = lanes[i];
      else
        *lanes[i].out = lanes[i].s;
    }
    live = kept;
    if (live == 0) break;

    int e = 4096, start = kWindow;
    for (int i = 0; i < live; ++i) {
      const int le = tableBinade(lanes[i].s);
      if (le < e) {
        e = le;
        start = lanes[i].pos;
      } else if (le == e) {
        start = std::min(start, lanes[i].pos);
      }
    }
    table.reset(e, start);
    for (int i = 0; i < live; ++i) {
      Lane& ln = lanes[i];
      while (ln.pos < ln.end && tableBinade(ln.s) == e) {
        const uint64_t sig = (bitsOf(ln.s) & kMantissa) | kHidden;
        const uint64_t room = kBinadeEnd - sig;
        // Largest reach with total[reach] - total[pos] < room: the sum stays
        // inside the binade up to there.
        table.extend(t, ln.pos);
        const uint64_t from = table.total[ln.pos - table.base];
        auto fits = [&](int j) { return table.total[j - table.base] - from < room; };
        // The whole rest first when the table already reaches it; otherwise
        // ever longer reaches, so that a sum that leaves the binade early
        // does not make the table longer than it needs.
        int good = ln.pos, bad = -1;
        if (table.base + table.built >= ln.end) {
          if (fits(ln.end))
            good = ln.end;
          else
            bad = ln.end;
        } else {
          for (int step = 64;; step *= 4) {
            const int j = std::min(ln.pos + step, ln.end);
            table.extend(t, j);
            if (!fits(j)) {
              bad = j;
              break;
            }
            good = j;
            if (j == ln.end) break;
          }
        }
        if (bad >= 0) {
          // The increments change slowly, so the point where the running
          // total reaches `room` is guessed by interpolation, and the guess
          // corrected by steps that double until they pass it.
          if (bad - good > 8) {
            const uint64_t below = table.total[good - table.base] - from;
            const uint64_t above = table.total[bad - table.base] - from;
            const double share = static_cast<double>(room - below) /
                                 static_cast<double>(above - below);
            int guess = good + static_cast<int>(share * (bad - good));
            guess = std::max(good + 1, std::min(guess, bad - 1));
            if (fits(guess)) {
              good = guess;
              for (int step = 1; good + step < bad; step *= 2) {
                if (!fits(good + step)) {
                  bad = good + step;
                  break;
                }
                good += step;
              }
            } else {
              bad = guess;
              for (int step = 1; bad - step > good; step *= 2) {
                if (fits(bad - step)) {
                  good = bad - step;
                  break;
                }
                bad -= step;
              }
            }
          }
          while (bad - good > 1) {
            const int mid = good + (bad - good) / 2;
            if (fits(mid))
              good = mid;
            else
              bad = mid;
          }
        }
        const uint64_t moved = sig + (table.total[good - table.base] - from);
        ln.s = fromBits((static_cast<uint64_t>(e) << 52) | (moved - kHidden));
        ln.pos = good;
        if (ln.pos < ln.end) ln.s += t[ln.pos++];  // leaves the binade, or a tie
      }
    }
  }
}

// Populations side by side in vector lanes, the other way to walk a window:
// for k from 0 up, every lane adds t[k] to its population's sum while k is
// below that population's count, and adds exactly +0.0 (the term masked
// off) after it.  A running sum starts at +0.0 and so is never -0.0 (a sum
// is -0.0 only if both addends are), and adding +0.0 to any other value
// leaves it unchanged, bit for bit: each population sees exactly its own
// additions in order, whatever the width.  Costs one vector addition per
// step and group of populations, so it wins where counts are small and the
// binade crossings, with their searches, come thick.
//
// s[0..n) and c[0..n) are the sums and counts of n lanes, n a multiple of
// kLanes, ordered so that neighbours have similar counts.  Lanes go in
// blocks of kGroups vectors: the steps below the block's least count add
// unmasked, the rest masked.
template <int kLanes, int kGroups>
__attribute__((always_inline)) inline void sideBySideBlock(const double* t, double* s,
                                                           const double* c) {
  typedef double F __attribute__((vector_size(8 * kLanes)));
  typedef int64_t M __attribute__((vector_size(8 * kLanes)));
  typedef uint64_t U __attribute__((vector_size(8 * kLanes)));
  constexpr int kBlock = kLanes * kGroups;
  double lo = c[0], hi = c[0];
  for (int q = 1; q < kBlock; ++q) {
    lo = std::min(lo, c[q]);
    hi = std::max(hi, c[q]);
  }
  F acc[kGroups];
  std::memcpy(acc, s, sizeof acc);
  const int start = static_cast<int>(lo), stop = static_cast<int>(hi);
  // t[k] is put in every lane by its bits, so that it is copied exactly.
  int k = 0;
  for (; k < start; ++k) {
    const F tk = reinterpret_cast<F>(U{} | bitsOf(t[k]));
    for (int g = 0; g < kGroups; ++g) acc[g] += tk;
  }
  if (k < stop) {
    F cnt[kGroups];
    std::memcpy(cnt, c, sizeof cnt);
    for (; k < stop; ++k) {
      const F tk = reinterpret_cast<F>(U{} | bitsOf(t[k]));
      const F kv = F{} + static_cast<double>(k);
      for (int g = 0; g < kGroups; ++g)
        acc[g] += reinterpret_cast<F>(reinterpret_cast<M>(tk) & (kv < cnt[g]));
    }
  }
  std::memcpy(s, acc, sizeof acc);
}

// Lanes are padded to a multiple of this: two vectors of the widest kind.
constexpr int kLanePad = 8;

template <int kLanes>
__attribute__((always_inline)) inline void sideBySideOf(const double* t, double* s,
                                                        const double* c, int n) {
  static_assert(kLanePad % (2 * kLanes) == 0, "padding holds whole pairs of vectors");
  int i = 0;
  for (; i + 4 * kLanes <= n; i += 4 * kLanes) sideBySideBlock<kLanes, 4>(t, s + i, c + i);
  if (i < n) sideBySideBlock<kLanes, 2>(t, s + i, c + i);  // the two left over
}

// The terms t[i] = term(theta, k0 + i, r) for i in [0, n): each formed on
// its own, so the width of the vectors that form them changes nothing.
template <bool kSquared>
__attribute__((always_inline)) inline void termsOf(double th, int32_t k0, double r, int n,
                                                   double* t) {
  for (int i = 0; i < n; ++i) t[i] = term<kSquared>(th, k0 + i, r);
}

// The kernels in the widths the processor offers, picked once.
struct Kernels {
  void (*scoreTerms)(double, int32_t, double, int, double*);
  void (*varianceTerms)(double, int32_t, double, int, double*);
  void (*sideBySide)(const double*, double*, const double*, int);
  int width;  // doubles per vector of sideBySide
};

#define VURN_KERNELS(name, isa, lanes)                                           \
  __attribute__((target(isa))) void name##ScoreTerms(double th, int32_t k0,      \
                                                        double r, int n, double* t) { \
    termsOf<false>(th, k0, r, n, t);                                                \
  }                                                                                 \
  __attribute__((target(isa))) void name##VarianceTerms(                         \
      double th, int32_t k0, double r, int n, double* t) {                          \
    termsOf<true>(th, k0, r, n, t);                                                 \
  }                                                                                 \
  __attribute__((target(isa))) void name##SideBySide(const double* t, double* s, \
                                                        const double* c, int n) {   \
    sideBySideOf<lanes>(t, s, c, n);                                                \
  }                                                                                 \
  const Kernels name##Kernels = {name##ScoreTerms, name##VarianceTerms,             \
                                 name##SideBySide, lanes};

#if defined(VURN_WIDE_TARGET)
VURN_KERNELS(narrow, "sse2", 2)
VURN_KERNELS(wide, VURN_WIDE_TARGET, 4)
Kernels pickKernels() {
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return wideKernels;
  return narrowKernels;
}
const Kernels kernels = pickKernels();
#else
void narrowScoreTerms(double th, int32_t k0, double r, int n, double* t) {
  termsOf<false>(th, k0, r, n, t);
}
void narrowVarianceTerms(double th, int32_t k0, double r, int n, double* t) {
  termsOf<true>(th, k0, r, n, t);
}
void narrowSideBySide(const double* t, double* s, const double* c, int n) {
  sideBySideOf<2>(t, s, c, n);
}
const Kernels narrowKernels = {narrowScoreTerms, narrowVarianceTerms, narrowSideBySide,
                               2};
const Kernels kernels = narrowKernels;
#endif

// Per-thread working space.
struct Scratch {
  double t[kWindow + kMaxLanes];  // groups of increments may read a little past
  Lane lanes[MAXPOPS];
  BinadeTable table;
  double sum[MAXPOPS];                 // allele sum A of each population
  double laneSum[MAXPOPS + kLanePad];  // the same, side by side
  double laneCount[MAXPOPS + kLanePad];
  int laneOf[MAXPOPS];  // population in each lane
  int32_t count[MAXALLELES][MAXPOPS];  // the locus's counts, [allele][population]
};

// Which way to walk a window, by a rough estimate of the cost of each, in
// vector additions: side by side, one per step and vector of populations;
// on the binade tables, about kCrossingCost for each binade a sum crosses,
// guessed from the exponents of the sum before and after the window, plus
// kWalkCost for each population.
constexpr double kCrossingCost = 50;
constexpr double kWalkCost = 50;

// The biased exponent field of x.
inline int exponentOf(double x) { return static_cast<int>((bitsOf(x) >> 52) & 0x7ff); }

// The allele sums A of every population at locus l, into a[pop].
template <bool kSquared>
void alleleSums(double th, const SampleData& d, const AlleleFreqTable& p,
                int l, double* a, Scratch& w) {
  const Kernels& kern = scoreNarrowForTests ? narrowKernels : kernels;
  double* sum = w.sum;
  // The counts of each population lie apart in the record; all of this
  // locus's are copied at once.
  const int alleles = d.nAlleles[l];
  for (int pop = 1; pop <= d.npops; ++pop) {
    sum[pop] = 0;
    for (int j = 1; j <= alleles; ++j) w.count[j][pop] = d.count[pop][l][j];
  }
  for (int j = 1; j <= alleles; ++j) {
    const int32_t* count = w.count[j];
    int32_t most = 0;
    for (int pop = 1; pop <= d.npops; ++pop) most = std::max(most, count[pop]);
    if (most < 1) continue;  // its frequency is not read
    const double r = 1.0 / static_cast<double>(p.freq[l][j]);
    for (int32_t w0 = 0; w0 < most;) {
      const int len = static_cast<int>(std::min<int32_t>(kWindow, most - w0));
      (kSquared ? kern.varianceTerms : kern.scoreTerms)(th, w0, r, len, w.t);
      // The populations that still have copies, and how many in this window.
      int live = 0;
      int64_t copies = 0;
      double before = 0;  // the sums so far, added up
      for (int pop = 1; pop <= d.npops; ++pop) {
        const int32_t c = count[pop];
        if (c <= w0) continue;
        const int m = static_cast<int>(std::min<int32_t>(c - w0, len));
        w.lanes[live++] = Lane{sum[pop], &sum[pop], 0, m};
        copies += m;
        before += sum[pop];
      }
      // Binades crossed by an average population: the terms fall with k, so
      // the trapezoid over-estimates their sum.
      const double mean = static_cast<double>(copies) / live;
      const double s0 = before / live;
      const double s1 = s0 + 0.5 * mean * (w.t[0] + w.t[static_cast<int>(mean) - 1]);
      const int from = exponentOf(s0 > 0 ? s0 : w.t[0]);
      const int crossed = std::max(0, std::min(exponentOf(s1) - from, 64));
      const bool sideBySide =
          scoreWalkForTests ? scoreWalkForTests == 1
                            : mean / kern.width < kCrossingCost * crossed + kWalkCost;
      if (sideBySide) {
        // Lanes in order of falling count, by buckets of similar counts, so
        // that each block's counts are close.
        int shift = 0;
        while ((len >> shift) >= 64) ++shift;
        int start[65] = {0};
        for (int i = 0; i < live; ++i) ++start[64 - (w.lanes[i].end >> shift)];
        for (int b = 0, at = 0; b <= 64; ++b) {
          const int here = start[b];
          start[b] = at;
          at += here;
        }
        for (int i = 0; i < live; ++i) {
          const int at = start[64 - (w.lanes[i].end >> shift)]++;
          w.laneOf[at] = static_cast<int>(w.lanes[i].out - sum);
          w.laneSum[at] = w.lanes[i].s;
          w.laneCount[at] = w.lanes[i].end;
        }
        // Padding lanes repeat the last count, so they add no steps.
        int n = live;
        for (; n % kLanePad; ++n) {
          w.laneSum[n] = 0;
          w.laneCount[n] = w.laneCount[live - 1];
        }
        kern.sideBySide(w.t, w.laneSum, w.laneCount, n);
        for (int i = 0; i < live; ++i) sum[w.laneOf[i]] = w.laneSum[i];
      } else {
        advanceLanes(w.t, w.lanes, live, w.table);
      }
      w0 += len;
    }
  }
  for (int pop = 1; pop <= d.npops; ++pop) a[pop] = sum[pop];
}

// The sample sums B: for every population and locus with n copies, the first
// n terms 1/(theta + k) added in order from 0, into b[pop][l].  The
// populations and loci are put in order of sample size by a radix sort, 11
// bits of the size above the least at a time; `order` and `spare` have room
// for every population and locus.
template <bool kSquared>
void sampleSums(double th, const SampleData& d, const SampleSizeTable& n,
                double (*b)[MAXLOCI], uint64_t* order, uint64_t* spare) {
  int used = 0;  // order[]: sample size << 16 | pop << 8 | locus
  int32_t least = INT32_MAX, most = 0;
  for (int pop = 1; pop <= d.npops; ++pop) {
    for (int l = 1; l <= d.nloci; ++l) {
      const int32_t size = n.size[pop][l];
      if (size < 1) {
        b[pop][l] = 0;
      } else {
        order[used++] = static_cast<uint64_t>(size) << 16 |
                        static_cast<uint64_t>(pop) << 8 | static_cast<uint64_t>(l);
        least = std::min(least, size);
        most = std::max(most, size);
      }
    }
  }
  constexpr int kDigitBits = 11;
  constexpr uint32_t kDigits = 1u << kDigitBits;
  const uint32_t spread = static_cast<uint32_t>(most - std::min(least, most));
  for (int shift = 0; shift == 0 || (shift < 32 && (spread >> shift) != 0);
       shift += kDigitBits) {
    auto digit = [&](uint64_t key) {
      return ((static_cast<uint32_t>(key >> 16) - static_cast<uint32_t>(least)) >> shift) &
             (kDigits - 1);
    };
    uint32_t at[kDigits] = {};
    for (int i = 0; i < used; ++i) ++at[digit(order[i])];
    for (uint32_t v = 0, run = 0; v < kDigits; ++v) {
      const uint32_t here = at[v];
      at[v] = run;
      run += here;
    }
    for (int i = 0; i < used; ++i) spare[at[digit(order[i])]++] = order[i];
    std::swap(order, spare);
  }
  double sum = 0;
  int32_t k = 0;
  for (int i = 0; i < used; ++i) {
    const uint64_t key = order[i];
    const int32_t size = static_cast<int32_t>(key >> 16);
    for (; k < size; ++k) sum += term<kSquared>(th, k, 1.0);
    b[(key >> 8) & 0xff][key & 0xff] = sum;
  }
}

// Work shared out over the loci.
struct Job {
  double th;
  const SampleData* d;
  const AlleleFreqTable* p;
  double (*a)[MAXPOPS];  // a[l][pop]
  std::atomic<int> next{1};
};

// Threads that share the loci, the calling thread included.
constexpr int kMaxThreads = 8;

// The working space of an evaluation.  thetaScore and thetaVariance are only
// ever called from one thread at a time (the search, then the standard
// error), so one static copy serves every call.
struct Workspace {
  double a[MAXLOCI][MAXPOPS];  // allele sums, [locus][population]
  double b[MAXPOPS][MAXLOCI];  // sample sums, [population][locus]
  uint64_t order[(MAXPOPS - 1) * (MAXLOCI - 1)];  // sample sizes in order
  uint64_t spare[(MAXPOPS - 1) * (MAXLOCI - 1)];
  Scratch scratch[kMaxThreads];  // one per thread
};
Workspace ws;

// What one thread works with: the shared job and its own scratch.
struct Worker {
  Job* job;
  Scratch* w;
};

template <bool kSquared>
void work(const Worker& worker) {
  Job* job = worker.job;
  for (;;) {
    const int l = job->next.fetch_add(1);
    if (l > job->d->nloci) break;
    alleleSums<kSquared>(job->th, *job->d, *job->p, l, job->a[l], *worker.w);
  }
}

template <bool kSquared>
void* helperMain(void* arg) {
  work<kSquared>(*static_cast<const Worker*>(arg));
  return nullptr;
}

// Processors to share the loci between, at most kMaxThreads; looked up once.
const int hardwareThreads = static_cast<int>(
    std::min<unsigned>(std::max(std::thread::hardware_concurrency(), 1u), kMaxThreads));

// How many threads a record deserves: one unless there are enough copies to
// repay starting another.
int threadsFor(const SampleData& d) {
  int64_t copies = 0;
  for (int pop = 1; pop <= d.npops; ++pop)
    for (int l = 1; l <= d.nloci; ++l)
      for (int j = 1; j <= d.nAlleles[l]; ++j) copies += std::max(d.count[pop][l][j], 0);
  if (copies < 200000) return 1;
  return hardwareThreads;
}

// Fills ws.a with the allele sums and ws.b with the sample sums.
template <bool kSquared>
void allSums(float theta, const SampleData& d, const SampleSizeTable& n,
             const AlleleFreqTable& p) {
  Job job;
  job.th = theta;
  job.d = &d;
  job.p = &p;
  job.a = ws.a;
  const int threads = std::min(threadsFor(d), std::max(d.nloci, 1));
  Worker workers[kMaxThreads];
  pthread_t helpers[kMaxThreads];
  int started = 0;  // helpers[0..started) run workers[1..started]
  for (int i = 0; i < threads; ++i) workers[i] = Worker{&job, &ws.scratch[i]};
  for (int i = 1; i < threads; ++i) {
    if (pthread_create(&helpers[started], nullptr, helperMain<kSquared>,
                       &workers[started + 1]) != 0)
      break;  // the loci go to the threads already running
    ++started;
  }
  sampleSums<kSquared>(theta, d, n, ws.b, ws.order, ws.spare);
  work<kSquared>(workers[0]);
  for (int i = 0; i < started; ++i) pthread_join(helpers[i], nullptr);
}

}  // namespace

double thetaScore(float theta, const SampleData& d, const SampleSizeTable& n,
                  const AlleleFreqTable& p) {
  double total = 0;
  if (d.npops < 1 || d.nloci < 1) return total;
  allSums<false>(theta, d, n, p);
  for (int pop = 1; pop <= d.npops; ++pop)
    for (int l = 1; l <= d.nloci; ++l) total += ws.a[l][pop] - ws.b[pop][l];
  return total;
}

double thetaVariance(float theta, const SampleData& d,
                     const SampleSizeTable& n, const AlleleFreqTable& p) {
  double total = 0;
  if (d.npops >= 1 && d.nloci >= 1) {
    allSums<true>(theta, d, n, p);
    for (int pop = 1; pop <= d.npops; ++pop)
      for (int l = 1; l <= d.nloci; ++l) total += ws.b[pop][l] - ws.a[l][pop];
  }
  return -1.0 / total;
}
