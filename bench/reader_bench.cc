// Throughput of the data file reader, on generated files held in memory (the
// reading itself) and on disk (with the file system's part).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "app/console.h"
#include "data_gen.h"
#include "input/data_file.h"
#include "input/sample_data.h"

namespace {

const std::string& fileText(bool diploid) {
  static std::string text[2];
  std::string& t = text[diploid];
  if (t.empty()) {
    DataParams prm;
    prm.diploid = diploid;
    // About 40 MB either way: 1000 diploid or 3700 haploid individuals.
    prm.individuals = diploid ? 1000 : 3700;
    generateData(prm, [&](const std::string& piece) { t += piece; });
  }
  return t;
}

Console quietConsole() {
  static FILE* devnull = std::fopen("/dev/null", "w");
  return Console{stdin, devnull, stderr};
}

void BM_ReadFromMemory(benchmark::State& state) {
  const std::string& text = fileText(state.range(0) != 0);
  Console con = quietConsole();
  SampleData* rec = newSampleData();
  for (auto _ : state) {
    state.PauseTiming();
    freeSampleData(rec);
    rec = newSampleData();
    state.ResumeTiming();
    bool ok = readDataBytes("bench", reinterpret_cast<const unsigned char*>(text.data()),
                            text.size(), *rec, con);
    if (!ok) state.SkipWithError("the reader refused the generated file");
    benchmark::DoNotOptimize(rec->count[1][1][1]);
  }
  freeSampleData(rec);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ReadFromMemory)->ArgName("diploid")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_ReadFromFile(benchmark::State& state) {
  const std::string& text = fileText(state.range(0) != 0);
  char name[] = "/tmp/vurn_bench_XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0 || write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    state.SkipWithError("cannot write a temporary file");
    return;
  }
  close(fd);
  Console con = quietConsole();
  SampleData* rec = newSampleData();
  for (auto _ : state) {
    state.PauseTiming();
    freeSampleData(rec);
    rec = newSampleData();
    state.ResumeTiming();
    if (!readDataFile(name, *rec, con)) state.SkipWithError("the reader refused the file");
    benchmark::DoNotOptimize(rec->count[1][1][1]);
  }
  freeSampleData(rec);
  unlink(name);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ReadFromFile)->ArgName("diploid")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
