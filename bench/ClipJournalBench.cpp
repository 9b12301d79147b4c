#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/ClipHistory.h"
#include "framework/SysUtils.h"

namespace {

namespace fs = std::filesystem;

std::string Id(int n) { return qv::TClipIdGenerator::FormatId(n, n % 1000000); }

std::string Text(size_t size) {
  std::string text;
  while (text.size() + 80 <= size) text.append(78, 'q').append("\r\n");
  text.append(size - text.size(), 'q');
  return text;
}

// What journaling adds to one capture of a 1 KB clip: the entry, encoded and checked
// (the CPU part; the capture itself is measured in ClipStoreBench).
void BM_JournalEntryOf1KBCapture(benchmark::State& state) {
  const std::string text = Text(1024), id = Id(1);
  const std::string line = qv::MakeListLine("qqqqqqqqqqqqqqqqqqqqqqqqqqqqqq...", id);
  std::string pending;
  for (auto _ : state) {
    pending.clear();
    qv::AppendJournalEntry(pending, qv::TJournalKind::Capture, {id, line, text});
    benchmark::DoNotOptimize(pending.data());
  }
}
BENCHMARK(BM_JournalEntryOf1KBCapture)->Unit(benchmark::kMicrosecond);

// The flush that follows it: one append, pushed to the disk (the disk's own cost).
void BM_JournalFlushOf1KBCapture(benchmark::State& state) {
  const fs::path dir = fs::temp_directory_path() / "qv_bench_journal_flush";
  fs::create_directories(dir);
  qv::TClipHistory history;
  history.SetFolder(dir.string() + "/");
  history.SetJournaling(true);
  const std::string text = Text(1024);
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    history.AddClip(text, Id(++n), "q");
    state.ResumeTiming();
    if (!history.FlushJournal()) state.SkipWithError("cannot write");
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_JournalFlushOf1KBCapture)->Iterations(200)->Unit(benchmark::kMicrosecond);

// A start that finds 10,000 entries: captures of 100 characters with a recall after every
// tenth, onto an empty history; read, replayed, saved and emptied.
void BM_ReplayOf10000EntriesAtStart(benchmark::State& state) {
  const fs::path dir = fs::temp_directory_path() / "qv_bench_journal_replay";
  const std::string folder = dir.string() + "/";
  std::string journal;
  for (int i = 0; i < 10000; ++i) {
    if (i % 10 == 9) {
      qv::AppendJournalEntry(journal, qv::TJournalKind::Move,
                             {qv::JournalIndexField(5), qv::MakeListLine("c", Id(i - 6))});
      continue;
    }
    qv::AppendJournalEntry(journal, qv::TJournalKind::Capture,
                           {Id(i), qv::MakeListLine("c", Id(i)), Text(100)});
  }
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(dir);
    fs::create_directories(dir);
    {
      std::FILE* f = std::fopen((folder + qv::kClipJournalFile).c_str(), "wb");
      std::fwrite(journal.data(), 1, journal.size(), f);
      std::fclose(f);
    }
    state.ResumeTiming();
    qv::TClipHistory history;
    history.SetFolder(folder);
    try {
      history.Load();
    } catch (const qv::Exception&) {
      state.SkipWithError("the start failed");
    }
    benchmark::DoNotOptimize(history.Count());
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_ReplayOf10000EntriesAtStart)->Unit(benchmark::kMillisecond);

}  // namespace
