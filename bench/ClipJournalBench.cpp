#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/ClipFolder.h"
#include "app/ClipHistory.h"
#include "framework/FileIO.h"
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
  qv::TClipFolder files(history);
  files.SetFolder(dir.string() + "/");
  files.Load();
  const std::string text = Text(1024);
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    history.AddClip(text, Id(++n), "q");
    state.ResumeTiming();
    if (!files.Flush()) state.SkipWithError("cannot write");
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_JournalFlushOf1KBCapture)->Iterations(200)->Unit(benchmark::kMicrosecond);

// A start that finds 10,000 entries: captures of 100 characters with a recall after every
// tenth, onto an empty history; read, replayed, saved and emptied.
void BM_ReplayOf10000EntriesAtStart(benchmark::State& state) {
  const fs::path dir = fs::temp_directory_path() / "qv_bench_journal_replay";
  const std::string folder = dir.string() + "/";
  // Written against no files yet, as a first run's journal is.
  std::string journal;
  const std::string none = qv::MarkField(qv::TFileMark{});
  qv::AppendJournalEntry(journal, qv::TJournalKind::Checkpoint, {none, none, none});
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
    if (!qv::WriteFileAtomically(folder + qv::kClipJournalFile, journal)) {
      state.SkipWithError("cannot write the journal");
      break;
    }
    state.ResumeTiming();
    qv::TClipHistory history;
    qv::TClipFolder files(history);
    files.SetFolder(folder);
    try {
      files.Load();
    } catch (const qv::Exception&) {
      state.SkipWithError("the start failed");
    }
    if (files.Replay().replayed != 10000) state.SkipWithError("not every entry was replayed");
    benchmark::DoNotOptimize(history.Count());
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_ReplayOf10000EntriesAtStart)->Unit(benchmark::kMillisecond);

// What tying the journal to a save adds to the save of a full 16 MB history: the marks of
// the three files and the record that names them.
void BM_CheckpointOf16MBSave(benchmark::State& state) {
  const std::string store = Text(qv::kStoreCapacity), list = Text(4 << 20);
  for (auto _ : state) {
    std::string record;
    qv::AppendJournalEntry(record, qv::TJournalKind::Saving,
                           {qv::MarkField(qv::MarkOf(list)), qv::MarkField(qv::MarkOf(store)),
                            qv::MarkField(qv::TFileMark{}), "Lb1.qvl.tmp1-1", "vqclips.qvl.tmp1-2",
                            ""});
    benchmark::DoNotOptimize(record.data());
  }
}
BENCHMARK(BM_CheckpointOf16MBSave)->Unit(benchmark::kMicrosecond);

}  // namespace
