// The clip tool's search over a store filled to its capacity.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "app/ClipStore.h"
#include "framework/CodePage.h"
#include "framework/FileIO.h"
#include "qvclips/ClipFiles.h"
#include "qvclips/Commands.h"

namespace {

namespace fs = std::filesystem;

constexpr int kClips = 72;
const std::string kSentence = "The quick brown fox jumps over the lazy dog, 0123456789.\r\n";

// A list of 72 clips and a store of exactly kStoreCapacity characters, in a folder.
std::string FullPairFolder() {
  const fs::path folder = fs::temp_directory_path() / "qv_bench_qvclips";
  fs::create_directories(folder);
  std::string list, store;
  const size_t overhead = qv::MakeBlock("0000000000000", "").size() + 2;  // and its break
  const size_t perClip = qv::kStoreCapacity / kClips - overhead;
  for (int i = 0; i < kClips; ++i) {
    const std::string id = qv::TClipIdGenerator::FormatId(i, i);
    std::string text;
    const size_t size = i + 1 == kClips ? qv::kStoreCapacity - store.size() - overhead : perClip;
    while (text.size() + kSentence.size() <= size) text += kSentence;
    text.append(size - text.size(), 'x');
    if (!store.empty()) store += "\r\n";
    store += qv::MakeBlock(id, text);
    list += qv::MakeListLine("a clip", id) + "\r\n";
  }
  if (store.size() != qv::kStoreCapacity) std::abort();
  if (!qv::WriteFileAtomically((folder / "Lb1.qvl").string(), list) ||
      !qv::WriteFileAtomically((folder / "vqclips.qvl").string(), store + "\r\n"))
    std::abort();
  return folder.string() + "/";
}

// Every clip's text read through: "lazy cat" starts like "lazy dog" once a line.
void BM_SearchFullStore(benchmark::State& state) {
  const qv::TClipPair pair(FullPairFolder());
  for (auto _ : state) {
    int found = 0;
    for (const qv::TClip& clip : qv::ClipsOf(pair))
      if (clip.text && qv::FindIgnoringCase(*clip.text, "LAZY CAT") != std::string_view::npos)
        ++found;
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_SearchFullStore)->Unit(benchmark::kMillisecond);

// The whole command: both files read, the store indexed, every text searched.
void BM_SearchCommandFromFiles(benchmark::State& state) {
  const std::string folder = FullPairFolder();
  qv::TClipsHost host;
  host.isFolder = [](const std::string& p) { return fs::is_directory(p); };
  host.fullPath = [](const std::string& p) { return p; };
  host.toUtf8 = [](std::string_view text, unsigned) { return qv::AnsiToUtf8(text); };
  const char* argv[] = {"qvclips", "search", "lazy cat", "--dir", folder.c_str()};
  for (auto _ : state) {
    std::ostringstream out, err;
    if (qv::RunClipsTool(5, argv, out, err, host) != qv::kExitNotFound) std::abort();
  }
}
BENCHMARK(BM_SearchCommandFromFiles)->Unit(benchmark::kMillisecond);

}  // namespace
