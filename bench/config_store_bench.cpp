// Loading and saving a vexa.cfg of 10 000 and 100 000 lines, against reading
// and writing the same bytes with plain file I/O.
//   cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/bench --target vexa_config_bench
//   build/bench/bench/vexa_config_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

#include "bench/config_sample.h"
#include "config/config_store.h"

namespace vexa {
namespace {

using bench::MakeConfig;

std::string FilePath(const char* name) {
  return "/tmp/vexa-bench-" + std::to_string(getpid()) + "-" + name;
}

bool ReadAll(const std::string& path, std::string* bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  struct stat info;
  if (fstat(fileno(file), &info) != 0) info.st_size = 0;
  bytes->resize(static_cast<std::size_t>(info.st_size));
  std::size_t got = std::fread(&(*bytes)[0], 1, bytes->size(), file);
  bytes->resize(got);
  std::fclose(file);
  return true;
}

bool WriteAll(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

class PlainConfigFile : public ConfigFile {
 public:
  PlainConfigFile(std::string in, std::string out) : in_(std::move(in)), out_(std::move(out)) {}
  ReadOutcome Read(std::string* bytes, std::string*) override {
    return ReadAll(in_, bytes) ? ReadOutcome::Read : ReadOutcome::Missing;
  }
  Status Write(const std::string& bytes) override {
    return WriteAll(out_, bytes) ? Status::Ok() : Status::Error("write failed");
  }

 private:
  std::string in_;
  std::string out_;
};

void BM_RawFileIo(benchmark::State& state) {
  std::string in = FilePath("raw-in"), out = FilePath("raw-out");
  WriteAll(in, MakeConfig(static_cast<int>(state.range(0))));
  std::size_t size = 0;
  for (auto _ : state) {
    // A fresh buffer each time, as the store gets one.
    std::string bytes;
    ReadAll(in, &bytes);
    size = bytes.size();
    WriteAll(out, bytes);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
  std::remove(in.c_str());
  std::remove(out.c_str());
}

void BM_LoadSave(benchmark::State& state) {
  std::string in = FilePath("store-in"), out = FilePath("store-out");
  std::string text = MakeConfig(static_cast<int>(state.range(0)));
  WriteAll(in, text);
  PlainConfigFile file(in, out);
  for (auto _ : state) {
    ConfigStore store(file);
    store.Load();
    if (!store.Save().ok) state.SkipWithError("save failed");
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  std::remove(in.c_str());
  std::remove(out.c_str());
}

void BM_ParseSerialize(benchmark::State& state) {
  std::string text = MakeConfig(static_cast<int>(state.range(0)));
  PlainConfigFile unused("", "");
  for (auto _ : state) {
    ConfigStore store(unused);
    store.Parse(text);
    std::string bytes = store.Serialize();
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// The C runtime calls the text steps make per line, alone; the Win32
// benchmark runs the same loop under Wine ("crt").
void BM_CrtCalls(benchmark::State& state) {
  std::string text = MakeConfig(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::size_t lines = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
      const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
      if (!lf) break;
      lines += std::memchr(p, '=', lf - p) != nullptr;
      p = lf + 1;
    }
    benchmark::DoNotOptimize(lines);
  }
}

// Medians of several runs: the machine is shared and single runs scatter.
BENCHMARK(BM_RawFileIo)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Repetitions(7);
BENCHMARK(BM_LoadSave)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Repetitions(7);
BENCHMARK(BM_ParseSerialize)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Repetitions(7);
BENCHMARK(BM_CrtCalls)->Arg(100000)->Unit(benchmark::kMillisecond)->Repetitions(7);

// Prints the two figures the targets are about after the usual table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Without colours, which a custom reporter would print whatever
  // --benchmark_color says, before the RESULT lines too.
  RatioReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration) {
        std::string name = run.benchmark_name();
        name = name.substr(0, name.find("/repeats:"));
        times_[name].push_back(run.GetAdjustedRealTime());
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    double raw = Median("BM_RawFileIo/100000");
    double cycle = Median("BM_LoadSave/100000");
    double cpu = Median("BM_ParseSerialize/100000");
    std::printf("\nload+save / raw file I/O, 100 000 lines:  %.2fx  (target <= 2)\n", cycle / raw);
    std::printf("parse+serialize alone / raw file I/O:      %.2fx\n", cpu / raw);
    std::printf("load+save 100 000 / 10 000 lines:          %.2fx  (target <= 11)\n",
                cycle / Median("BM_LoadSave/10000"));
    std::printf("parse+serialize 100 000 / 10 000 lines:    %.2fx\n",
                cpu / Median("BM_ParseSerialize/10000"));
    // Plain figures for scripts/benchmark.sh.
    std::printf("RESULT native_raw_100k_ms %.4f\n", raw);
    std::printf("RESULT native_load_save_100k_ms %.4f\n", cycle);
    std::printf("RESULT native_load_save_10k_ms %.4f\n", Median("BM_LoadSave/10000"));
    std::printf("RESULT native_text_steps_100k_ms %.4f\n", cpu);
    std::printf("RESULT native_crt_memchr_lines_100k_ms %.4f\n", Median("BM_CrtCalls/100000"));
  }

 private:
  double Median(const std::string& name) {
    std::vector<double>& times = times_[name];
    if (times.empty()) return 0;
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
  }

  std::map<std::string, std::vector<double>> times_;
};

}  // namespace
}  // namespace vexa

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  vexa::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
