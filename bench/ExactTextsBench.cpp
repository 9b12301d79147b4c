#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/ClipFolder.h"
#include "app/ClipHistory.h"

namespace {

namespace fs = std::filesystem;

std::string Id(int n) { return qv::TClipIdGenerator::FormatId(n, n % 1000000); }
int FakeWidth(const std::string& s) { return static_cast<int>(s.size()) * 6; }

// A text of `size` bytes in lines of 78, its exact form with an arrow ("\xE2\x86\x92") where
// the ANSI text has "?".
std::string Text(size_t size, bool exact) {
  std::string text;
  while (text.size() + 80 <= size) text.append(exact ? "\xE2\x86\x92" : "?").append(77, 'q').append("\r\n");
  text.append(size - text.size(), 'q');
  return text;
}

// A history of 9,000 clips, 15,000,000 characters; with exact texts for all of them or none.
void Fill(qv::TClipHistory& history, size_t total, bool exact) {
  const int clips = 9000;
  for (int i = 0; i < clips; ++i) {
    const std::string ansi = Text(total / clips - 50, false);
    history.AddClip(ansi, Id(i), "line", exact ? Text(total / clips - 50, true) : std::string());
  }
}

// One capture of a 1 KB clip into a 15 MB history: arg 1 with an exact text beside it.
void BM_HistoryCapture1KB(benchmark::State& state) {
  const bool exact = state.range(0) != 0;
  qv::TClipHistory history;
  Fill(history, 15000000, false);
  qv::TClipIdGenerator ids([] { return 0x12345678u; });
  const std::string ansi = Text(1024, false), utf8 = Text(1024, true);
  for (auto _ : state)
    if (!history.AddClip(ansi, ids, FakeWidth, exact ? std::string_view(utf8) : std::string_view()))
      state.SkipWithError("history full");
}
BENCHMARK(BM_HistoryCapture1KB)->Arg(0)->Arg(1)->Iterations(500)->Unit(benchmark::kMicrosecond);

// Loading a 16 MB history: arg 0 the two files alone, arg 1 with 16 MB of exact texts.
void BM_HistoryLoad16MB(benchmark::State& state) {
  const fs::path dir = fs::temp_directory_path() / ("qv_bench_exact_" + std::to_string(state.range(0)));
  fs::create_directories(dir);
  {
    qv::TClipHistory history;
    qv::TClipFolder files(history);
    files.SetFolder(dir.string() + "/");
    Fill(history, qv::kStoreCapacity - 500000, state.range(0) != 0);
    files.Save();
  }
  for (auto _ : state) {
    qv::TClipHistory history;
    qv::TClipFolder files(history);
    files.SetFolder(dir.string() + "/");
    files.Load();
    benchmark::DoNotOptimize(history.Count());
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_HistoryLoad16MB)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
