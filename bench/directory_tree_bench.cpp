// Creating the directories of a path made mostly of backslashes, one level
// per backslash, as a directory field of vexa.cfg can hold it: 4 096, 32 768
// and 65 536 bytes, against a file system in memory in which only the
// program directory exists.
//   cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
//   cmake --build build/bench --target vexa_directory_bench
//   build/bench/bench/vexa_directory_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "config/check_directory.h"

namespace vexa {
namespace {

const char kProgram[] = "C:\\Vexa";

// Answers from one name and copies nothing, so that the figure is the
// walk's own.
class OneDirectorySystem : public DirectorySystem {
 public:
  std::size_t calls = 0;
  bool Exists(const std::string& path) override {
    ++calls;
    return path == kProgram;
  }
  bool IsDirectory(const std::string& path) override { return path == kProgram; }
  bool CreateDirectory(const std::string&) override {
    ++calls;
    return true;
  }
};

std::string LongPath(std::size_t size) {
  std::string path = std::string(kProgram) + "\\logs";
  path.append(size - path.size() - 1, '\\');
  path += 'x';
  return path;
}

void BM_CreateDirectoryTree(benchmark::State& state) {
  const std::string path = LongPath(static_cast<std::size_t>(state.range(0)));
  std::size_t calls = 0;
  for (auto _ : state) {
    OneDirectorySystem fs;
    std::vector<std::string> notCreated;
    CreateDirectoryTree(path, fs, &notCreated);
    calls = fs.calls;
    benchmark::DoNotOptimize(notCreated.data());
  }
  state.counters["calls"] = static_cast<double>(calls);
}

BENCHMARK(BM_CreateDirectoryTree)
    ->Arg(4096)
    ->Arg(32768)
    ->Arg(65536)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5);

// Medians for scripts/benchmark.sh after the usual table.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  // Without colours, which a custom reporter would print whatever
  // --benchmark_color says, before the RESULT lines too.
  MedianReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      std::string name = run.benchmark_name();
      times_[name.substr(0, name.find("/repeats:"))].push_back(run.GetAdjustedRealTime());
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    for (auto& [name, times] : times_) {
      std::sort(times.begin(), times.end());
      std::string size = name.substr(name.find('/') + 1);
      std::printf("RESULT native_directory_tree_%s_ms %.4f\n", size.c_str(),
                  times[times.size() / 2]);
    }
  }

 private:
  std::map<std::string, std::vector<double>> times_;
};

}  // namespace
}  // namespace vexa

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  vexa::MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
