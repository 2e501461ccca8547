// Writes a large, valid vurndata file for benchmarks; the same arguments
// always give the same bytes.
//
//   make_data [options] OUTPUT
//     --ploidy haploid|diploid   (default diploid)
//     --pops N          populations, 1..99            (default 99)
//     --loci N          loci, 1..99                   (default 99)
//     --individuals N   individuals per population    (default 1000)
//     --alleles N       allele types per locus, 1..49 (default 8)
//     --missing R       share of allele copies written missing, 0..1 (default 0.02)
//     --seed N          (default 1)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "data_gen.h"

namespace {

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
  const long v = std::strtol(s, &end, 10);
  if (*s == 0 || *end || v < lo || v > hi) usage(what);
  return v;
}

}  // namespace

int main(int argc, char** argv) {
  DataParams prm;
  const char* outName = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) usage("missing value");
      return argv[++i];
    };
    if (a == "--ploidy") {
      const std::string v = value();
      if (v != "haploid" && v != "diploid") usage("ploidy is haploid or diploid");
      prm.diploid = v == "diploid";
    } else if (a == "--pops") {
      prm.pops = static_cast<int>(parseLong(value(), 1, 99, "pops must be 1..99"));
    } else if (a == "--loci") {
      prm.loci = static_cast<int>(parseLong(value(), 1, 99, "loci must be 1..99"));
    } else if (a == "--individuals") {
      prm.individuals = parseLong(value(), 1, 1073741823L, "individuals must be positive");
    } else if (a == "--alleles") {
      prm.alleles = static_cast<int>(parseLong(value(), 1, 49, "alleles must be 1..49"));
    } else if (a == "--missing") {
      char* end;
      const char* v = value();
      prm.missing = std::strtod(v, &end);
      if (*v == 0 || *end || !(prm.missing >= 0 && prm.missing <= 1))
        usage("missing must be 0..1");
    } else if (a == "--seed") {
      prm.seed = static_cast<uint64_t>(parseLong(value(), 0, 0x7fffffffffffffffL, "bad seed"));
    } else if (!a.empty() && a[0] == '-') {
      usage("unknown option");
    } else {
      if (outName) usage("one output file");
      outName = argv[i];
    }
  }
  if (!outName) usage("no output file");
  if (static_cast<double>(prm.individuals) * prm.pops > 1073741823.0)
    usage("more individuals than a data file may hold");
  FILE* f = std::fopen(outName, "wb");
  if (!f) {
    std::perror(outName);
    return 1;
  }
  bool ok = true;
  generateData(prm, [&](const std::string& piece) {
    if (ok && std::fwrite(piece.data(), 1, piece.size(), f) != piece.size()) ok = false;
  });
  if (std::fclose(f) != 0) ok = false;
  if (!ok) {
    std::perror(outName);
    return 1;
  }
  return 0;
}
