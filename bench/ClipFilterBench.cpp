// One keystroke of the clip window's find over the largest history: 100,000 clips, 16 MB.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/ClipFilter.h"
#include "app/ClipFolder.h"
#include "app/ClipHistory.h"
#include "app/ClipStore.h"
#include "framework/FileIO.h"

namespace {

namespace fs = std::filesystem;

constexpr int kClips = 100000;

// Short clips of ordinary words, filling the store: about 160 characters each.
std::unique_ptr<qv::TClipHistory> FullHistory() {
  static const char* const kWords[] = {
      "the", "invoice", "Street", "meeting", "tuesday", "address", "phone", "Number", "total",
      "report", "draft", "https://example.org/page", "please", "send", "order", "price",
      "contact", "email", "project", "deadline", "budget", "notes", "review", "update"};
  constexpr size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);
  // Written as the two files and loaded: the fastest way to a full history.
  std::string list, store;
  uint32_t seed = 1;
  const size_t perClip = qv::kStoreCapacity / kClips - qv::MakeBlock("0000000000000", "").size() - 2;
  for (int i = 0; i < kClips; ++i) {
    std::string text;
    // Lines break with CR LF as in the store.
    while (text.size() < perClip) {
      seed = seed * 134775813u + 1;
      text += kWords[(seed >> 16) % kWordCount];
      text += (seed & 0x700) ? " " : "\r\n";
    }
    text.resize(perClip);
    const std::string id = qv::TClipIdGenerator::FormatId(i, i % 1000000);
    list += qv::MakeListLine(text.substr(0, std::min<size_t>(30, text.find('\r'))), id) + "\r\n";
    if (!store.empty()) store += "\r\n";
    store += qv::MakeBlock(id, text);
  }
  const fs::path folder = fs::temp_directory_path() / "qv_bench_find";
  fs::create_directories(folder);
  if (!qv::WriteFileAtomically((folder / qv::kClipListFile).string(), list) ||
      !qv::WriteFileAtomically((folder / qv::kClipStoreFile).string(), store))
    std::abort();
  auto history = std::make_unique<qv::TClipHistory>();
  qv::TClipFolder files(*history);
  files.SetFolder(folder.string() + "/");
  files.Load(qv::TClipFolder::TMode::ReadOnly);
  fs::remove_all(folder);
  return history;
}

qv::TClipHistory& History() {
  static const std::unique_ptr<qv::TClipHistory> history = FullHistory();
  return *history;
}

// F3 and the first key together: the texts are gathered from the model (F3 does that), then
// all of them searched for a letter that no clip holds.
void BM_FindFirstKeyOver100kClips(benchmark::State& state) {
  if (History().Count() != kClips || History().Store().Size() < 16000000) {
    state.SkipWithError(("the history is not full: " + std::to_string(History().Count()) + " clips, " + std::to_string(History().Store().Size())).c_str());
    return;
  }
  const std::vector<std::string> words{"z"};
  for (auto _ : state) {
    qv::TClipFinder finder;
    finder.SetTexts(qv::FindTexts(History()));
    benchmark::DoNotOptimize(finder.Find(words, words).size());
  }
}
BENCHMARK(BM_FindFirstKeyOver100kClips)->Unit(benchmark::kMillisecond);

// Of which F3's part: gathering the texts.
void BM_FindTextsOf100kClips(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(qv::FindTexts(History()).size());
}
BENCHMARK(BM_FindTextsOf100kClips)->Unit(benchmark::kMillisecond);

// A key that does not narrow (a word changed in the middle): every text searched for two
// words, one that most clips hold and one that none does.
void BM_FindFullSearchTwoWords(benchmark::State& state) {
  qv::TClipFinder finder;
  finder.SetTexts(qv::FindTexts(History()));
  // Neither pair narrows the other, so each key searches every text.
  const std::vector<std::string> a{"invoice", "tuesdax"}, b{"tuesday", "invoicx"};
  bool flip = false;
  for (auto _ : state) {
    flip = !flip;
    benchmark::DoNotOptimize(finder.Find(flip ? a : b, flip ? a : b).size());
  }
}
BENCHMARK(BM_FindFullSearchTwoWords)->Unit(benchmark::kMillisecond);

// "invoice tues" typed key by key: the mean of one key.
void BM_FindTypingTwoWords(benchmark::State& state) {
  const std::string typed = "invoice tues";
  for (auto _ : state) {
    state.PauseTiming();
    qv::TClipFinder finder;
    finder.SetTexts(qv::FindTexts(History()));
    state.ResumeTiming();
    for (size_t n = 1; n <= typed.size(); ++n) {
      const auto words = qv::FindWords(typed.substr(0, n));
      benchmark::DoNotOptimize(finder.Find(words, words).size());
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(typed.size()));
}
BENCHMARK(BM_FindTypingTwoWords)->Unit(benchmark::kMillisecond);

}  // namespace
