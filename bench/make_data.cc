// Writes a large, valid vurndata file for benchmarks: the same arguments and
// seed always give the same bytes.
//
//   make_data [options] OUTPUT
//     --ploidy haploid|diploid   (default diploid)
//     --pops N          populations, 1..99            (default 99)
//     --loci N          loci, 1..99                   (default 99)
//     --individuals N   individuals per population    (default 1000)
//     --alleles N       allele types per locus, 1..49 (default 8)
//     --missing R       share of allele copies written missing, 0..1 (default 0.02)
//     --seed N          (default 1)
//
// Each locus has pooled allele frequencies that fall off geometrically; each
// population draws its own frequencies around them, so the populations differ
// and the estimate of theta lies inside the search interval.  Haploid rows
// write their alleles together ("i17 ABCA...,"), diploid rows one token per
// genotype ("i17 A/B C/C ...").
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kSymbols[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvw";  // 49 symbols

struct Rng {  // splitmix64: small, fast and the same everywhere
  uint64_t s;
  uint64_t next() {
    uint64_t z = (s += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 2^32).
  uint32_t u32() { return static_cast<uint32_t>(next() >> 32); }
};

[[noreturn]] void usage(const char* why) {
  std::fprintf(stderr,
               "make_data: %s\nusage: make_data [--ploidy haploid|diploid] "
               "[--pops N] [--loci N] [--individuals N] [--alleles N] "
               "[--missing R] [--seed N] OUTPUT\n",
               why);
  std::exit(2);
}

long parseLong(const char* s, long lo, long hi, const char* what) {
  char* end;
  long v = std::strtol(s, &end, 10);
  if (*end || v < lo || v > hi) usage(what);
  return v;
}

class Output {
 public:
  explicit Output(FILE* f) : f_(f) { buf_.reserve(kSize + 512); }
  ~Output() { flush(); }
  void put(char c) { buf_.push_back(c); }
  void put(const char* s) { buf_.append(s); }
  void put(const std::string& s) { buf_.append(s); }
  void putNumber(long v) { put(std::to_string(v)); }
  void maybeFlush() {
    if (buf_.size() >= kSize) flush();
  }
  void flush() {
    if (!buf_.empty() && std::fwrite(buf_.data(), 1, buf_.size(), f_) != buf_.size()) {
      std::perror("make_data: write");
      std::exit(1);
    }
    buf_.clear();
  }

 private:
  static constexpr size_t kSize = 1 << 20;
  FILE* f_;
  std::string buf_;
};

}  // namespace

int main(int argc, char** argv) {
  bool diploid = true;
  long pops = 99, loci = 99, individuals = 1000, alleles = 8;
  double missing = 0.02;
  uint64_t seed = 1;
  const char* outName = nullptr;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) usage("missing value");
      return argv[++i];
    };
    if (a == "--ploidy") {
      std::string v = value();
      if (v != "haploid" && v != "diploid") usage("ploidy is haploid or diploid");
      diploid = v == "diploid";
    } else if (a == "--pops") {
      pops = parseLong(value(), 1, 99, "pops must be 1..99");
    } else if (a == "--loci") {
      loci = parseLong(value(), 1, 99, "loci must be 1..99");
    } else if (a == "--individuals") {
      individuals = parseLong(value(), 1, 1000000000L, "individuals must be positive");
    } else if (a == "--alleles") {
      alleles = parseLong(value(), 1, 49, "alleles must be 1..49");
    } else if (a == "--missing") {
      char* end;
      missing = std::strtod(value(), &end);
      if (*end || !(missing >= 0 && missing <= 1)) usage("missing must be 0..1");
    } else if (a == "--seed") {
      seed = static_cast<uint64_t>(parseLong(value(), 0, 0x7fffffffffffffffL, "bad seed"));
    } else if (!a.empty() && a[0] == '-') {
      usage("unknown option");
    } else {
      if (outName) usage("one output file");
      outName = argv[i];
    }
  }
  if (!outName) usage("no output file");
  if (static_cast<double>(individuals) * pops > 1073741823.0)
    usage("more individuals than a data file may hold");
  FILE* f = std::fopen(outName, "wb");
  if (!f) {
    std::perror(outName);
    return 1;
  }

  Rng rng{seed * 0x2545f4914f6cdd1dULL + 12345};
  // cumulative[p][l][a]: thresholds on a 32-bit uniform draw.
  std::vector<uint64_t> cumulative(static_cast<size_t>(pops * loci * alleles));
  const uint32_t missingThreshold =
      static_cast<uint32_t>(std::min(missing * 4294967296.0, 4294967295.0));
  for (long l = 0; l < loci; ++l) {
    double decay = 0.55 + 0.4 * (rng.u32() / 4294967296.0);
    for (long p = 0; p < pops; ++p) {
      std::vector<double> w(static_cast<size_t>(alleles));
      double total = 0, base = 1;
      for (long a = 0; a < alleles; ++a) {
        w[a] = base * (0.4 + 1.2 * (rng.u32() / 4294967296.0));
        base *= decay;
        total += w[a];
      }
      double run = 0;
      for (long a = 0; a < alleles; ++a) {
        run += w[a] / total;
        cumulative[(p * loci + l) * alleles + a] =
            a + 1 == alleles ? (1ULL << 32) : static_cast<uint64_t>(run * 4294967296.0);
      }
    }
  }
  auto draw = [&](long p, long l) -> char {
    if (rng.u32() < missingThreshold && missingThreshold) return '?';
    uint64_t x = rng.u32();
    const uint64_t* c = &cumulative[(p * loci + l) * alleles];
    long a = 0;
    while (x >= c[a]) ++a;
    return kSymbols[a];
  };

  Output out(f);
  out.put("#nexus\nbegin vurndata;\ndimensions npops=");
  out.putNumber(pops);
  out.put(" nloci=");
  out.putNumber(loci);
  out.put(";\nformat ");
  out.put(diploid ? "diploid missing=? separator=/;\n" : "haploid missing=?;\n");
  out.put("locusallelelabels\n");
  for (long l = 1; l <= loci; ++l) {
    out.put(std::to_string(l) + " loc" + std::to_string(l) + (l == loci ? ";\n" : ",\n"));
  }
  out.put("matrix\n");
  for (long p = 0; p < pops; ++p) {
    out.put("pop" + std::to_string(p + 1) + ":\n");
    for (long i = 0; i < individuals; ++i) {
      out.put('i');
      out.putNumber(i + 1);
      out.put(' ');
      for (long l = 0; l < loci; ++l) {
        if (diploid) {
          if (l) out.put(' ');
          out.put(draw(p, l));
          out.put('/');
          out.put(draw(p, l));
        } else {
          out.put(draw(p, l));
        }
      }
      if (i + 1 == individuals) out.put(p + 1 == pops ? ';' : ',');
      out.put('\n');
      out.maybeFlush();
    }
  }
  out.put("end;\n");
  out.flush();
  if (std::fclose(f) != 0) {
    std::perror(outName);
    return 1;
  }
  return 0;
}
