// A deterministic generator of large, valid vurndata files: the same
// parameters and seed always give the same bytes.
//
// Each locus has allele frequencies that fall off geometrically; each
// population draws its own frequencies around them, so the populations differ
// and the estimate of theta lies inside the search interval.  Haploid rows
// write their alleles together ("i17 ABCA...,"), diploid rows one token per
// genotype ("i17 A/B C/C ...").  The missing symbol is "?".
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

struct DataParams {
  bool diploid = true;
  int pops = 99;          // 1..99
  int loci = 99;          // 1..99
  long individuals = 1000;  // per population
  int alleles = 8;        // allele types per locus, 1..49
  double missing = 0.02;  // share of allele copies written missing
  uint64_t seed = 1;
};

namespace datagen {

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
  uint32_t u32() { return static_cast<uint32_t>(next() >> 32); }
};

}  // namespace datagen

// Produces the file in pieces of about a megabyte: sink(text) is called with
// each piece in order.
template <typename Sink>
void generateData(const DataParams& prm, Sink&& sink) {
  using datagen::Rng;
  Rng rng{prm.seed * 0x2545f4914f6cdd1dULL + 12345};
  const long pops = prm.pops, loci = prm.loci, alleles = prm.alleles;
  // cumulative[(p * loci + l) * alleles + a]: thresholds on a 32-bit draw.
  std::vector<uint64_t> cumulative(static_cast<size_t>(pops * loci * alleles));
  const uint32_t missingThreshold =
      static_cast<uint32_t>(std::min(prm.missing * 4294967296.0, 4294967295.0));
  for (long l = 0; l < loci; ++l) {
    const double decay = 0.55 + 0.4 * (rng.u32() / 4294967296.0);
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
    if (missingThreshold && rng.u32() < missingThreshold) return '?';
    const uint64_t x = rng.u32();
    const uint64_t* c = &cumulative[(p * loci + l) * alleles];
    long a = 0;
    while (x >= c[a]) ++a;
    return datagen::kSymbols[a];
  };

  std::string out;
  out.reserve((1 << 20) + 4096);
  out += "#nexus\nbegin vurndata;\ndimensions npops=" + std::to_string(pops) +
         " nloci=" + std::to_string(loci) + ";\nformat ";
  out += prm.diploid ? "diploid missing=? separator=/;\n" : "haploid missing=?;\n";
  out += "locusallelelabels\n";
  for (long l = 1; l <= loci; ++l)
    out += std::to_string(l) + " loc" + std::to_string(l) + (l == loci ? ";\n" : ",\n");
  out += "matrix\n";
  for (long p = 0; p < pops; ++p) {
    out += "pop" + std::to_string(p + 1) + ":\n";
    for (long i = 0; i < prm.individuals; ++i) {
      out += 'i';
      out += std::to_string(i + 1);
      out += ' ';
      for (long l = 0; l < loci; ++l) {
        if (prm.diploid) {
          if (l) out += ' ';
          out += draw(p, l);
          out += '/';
          out += draw(p, l);
        } else {
          out += draw(p, l);
        }
      }
      if (i + 1 == prm.individuals) out += p + 1 == pops ? ';' : ',';
      out += '\n';
      if (out.size() >= (1 << 20)) {
        sink(out);
        out.clear();
      }
    }
  }
  out += "end;\n";
  sink(out);
}
