// The whole history with many short clips against a few: a start (load), a capture and a
// recall with 100,000 clips should cost what they cost with 100. A start with keep marks
// costs under 5 % more than one without; a delete from a full 16 MB history, the rewrite of
// the files included, under 100 ms; a clear, copies set aside included, well under 2 s.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/ClipFolder.h"
#include "app/ClipHistory.h"
#include "bench/HistoryFiles.h"
#include "framework/FileIO.h"

namespace {

namespace fs = std::filesystem;

int FakeWidth(const std::string& s) { return static_cast<int>(s.size()) * 6; }

// A folder holding the two clip files of `clips` short clips; 100,000 fill the store.
class HistoryFolder {
 public:
  // kept: every that many clips is kept (0: none).
  explicit HistoryFolder(int clips, int kept = 0)
      : dir_(fs::temp_directory_path() / ("qv_bench_history_" + std::to_string(clips))) {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    qv::bench::WriteHistoryFiles(Folder(), clips);
    std::vector<std::string> ids;
    for (int n = kept; kept > 0 && n <= clips; n += kept) ids.push_back(qv::bench::ShortClipId(n));
    if (!ids.empty()) qv::WriteFileAtomically(Folder() + qv::kKeptIdsFile, qv::KeptIdsImage(ids));
  }
  ~HistoryFolder() { fs::remove_all(dir_); }
  std::string Folder() const { return dir_.string() + "/"; }

 private:
  fs::path dir_;
};

// The history with its files, as the program keeps them.
struct TKept {
  explicit TKept(const HistoryFolder& folder) : files(history) {
    files.SetFolder(folder.Folder());
    files.Load();
  }
  qv::TClipHistory history;
  qv::TClipFolder files;
};

void BM_HistoryLoad(benchmark::State& state) {
  const HistoryFolder folder(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TKept kept(folder);
    benchmark::DoNotOptimize(kept.history.Count());
  }
}
BENCHMARK(BM_HistoryLoad)->Arg(100)->Arg(100000)->Unit(benchmark::kMillisecond);

// A tenth of the 100,000 clips kept.
void BM_HistoryLoadWithKeepMarks(benchmark::State& state) {
  const HistoryFolder folder(static_cast<int>(state.range(0)), 10);
  if (TKept(folder).history.KeptIds().size() != 10000) state.SkipWithError("keep marks not read");
  for (auto _ : state) {
    TKept kept(folder);
    benchmark::DoNotOptimize(kept.history.Count());
  }
}
BENCHMARK(BM_HistoryLoadWithKeepMarks)->Arg(100000)->Unit(benchmark::kMillisecond);

// The user's delete of one clip in the middle of a full store, and the purge that rewrites
// the files without it.
void BM_HistoryDeleteWithRewrite(benchmark::State& state) {
  const HistoryFolder folder(static_cast<int>(state.range(0)));
  TKept kept(folder);
  uint64_t now = 0;
  for (auto _ : state) {
    kept.history.Delete(kept.history.Count() / 2);
    now += 1000;
    kept.files.Tick(now);
    if (kept.files.NextTick(now) != 0) state.SkipWithError("the purge did not run");
  }
}
BENCHMARK(BM_HistoryDeleteWithRewrite)->Arg(100000)->Iterations(20)->Unit(benchmark::kMillisecond);

// Clear Vavad on a full store with a copy of both files set aside: the purge rewrites the
// files and takes every cleared clip out of the copies too, well within its 2 seconds.
void BM_HistoryClearWithCopiesSetAside(benchmark::State& state) {
  const HistoryFolder folder(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    for (const char* name : {qv::kClipListFile, qv::kClipStoreFile})
      fs::copy_file(folder.Folder() + name, folder.Folder() + name + ".bak",
                    fs::copy_options::overwrite_existing);
    TKept kept(folder);
    state.ResumeTiming();
    kept.history.Clear();
    kept.files.Tick(1000);
    state.PauseTiming();
    std::string copy;
    if (!qv::ReadWholeFile(folder.Folder() + qv::kClipStoreFile + ".bak", copy, nullptr, nullptr) ||
        copy.find("clip 7 ") != std::string::npos)
      state.SkipWithError("a cleared clip stayed in a copy");
    qv::bench::WriteHistoryFiles(folder.Folder(), static_cast<int>(state.range(0)));
    state.ResumeTiming();
  }
}
BENCHMARK(BM_HistoryClearWithCopiesSetAside)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_HistorySave(benchmark::State& state) {
  const HistoryFolder folder(static_cast<int>(state.range(0)));
  TKept kept(folder);
  for (auto _ : state) kept.files.Save();
}
BENCHMARK(BM_HistorySave)->Arg(100)->Arg(100000)->Unit(benchmark::kMillisecond);

// A short clip at the top; with 100,000 the store is full, so each capture makes room too.
void BM_HistoryCapture(benchmark::State& state) {
  const HistoryFolder folder(static_cast<int>(state.range(0)));
  TKept kept(folder);
  qv::TClipHistory& history = kept.history;
  qv::TClipIdGenerator ids([] { return 0x12345678u; });
  int n = 0;
  for (auto _ : state) {
    const std::string text = qv::bench::ShortClipText(++n);
    if (!history.AddClip(text, ids, FakeWidth)) state.SkipWithError("refused");
  }
}
BENCHMARK(BM_HistoryCapture)->Arg(100)->Arg(100000)->Iterations(2000)->Unit(benchmark::kMicrosecond);

// A single recall of a line well down the list: it goes to the top and line 72 goes.
void BM_HistoryRecall(benchmark::State& state) {
  const int clips = static_cast<int>(state.range(0));
  const HistoryFolder folder(clips + 2000);  // the trims take a line each
  TKept kept(folder);
  qv::TClipHistory& history = kept.history;
  for (auto _ : state) {
    history.MoveToTop(90);
    benchmark::DoNotOptimize(history.Gather(0, false));
  }
}
BENCHMARK(BM_HistoryRecall)->Arg(100)->Arg(100000)->Iterations(2000)->Unit(benchmark::kMicrosecond);

}  // namespace
