#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unordered_set>
#include <vector>

#include "app/ClipStore.h"

namespace {

namespace fs = std::filesystem;

std::string TempFile(const char* name) { return (fs::temp_directory_path() / name).string(); }

int FakeWidth(const std::string& s) { return static_cast<int>(s.size()) * 6; }

// A clip text of about `size` characters in lines of 78.
std::string ClipText(size_t size, char fill) {
  std::string text;
  text.reserve(size + 80);
  while (text.size() + 80 <= size) text.append(78, fill).append("\r\n");
  text.append(size - text.size(), fill);
  return text;
}

std::string Id(int n) { return qv::TClipIdGenerator::FormatId(n, n % 1000000); }

// A store filled to exactly its capacity with `clips` blocks.
qv::TClipStore FullStore(int clips, size_t capacity = qv::kStoreCapacity) {
  qv::TClipStore store;
  const size_t perBlock = capacity / clips;
  const size_t overhead = qv::MakeBlock(Id(0), "").size();
  for (int i = 0; i < clips; ++i) {
    // What this clip may add, the break that joins it to the block below included.
    const size_t join = store.Empty() ? 0 : 2;
    const size_t adds = i + 1 == clips ? capacity - store.Size() : perBlock;
    store.AddClip(ClipText(adds - join - overhead, static_cast<char>('a' + i % 26)), Id(i));
  }
  return store;
}

qv::TTextBuffer ListOf(int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i)
    text += qv::MakeListLine("a display text of some forty characters..", Id(i)) + "\r\n";
  qv::TTextBuffer list;
  list.SetText(text);
  return list;
}

void BM_StoreLoad16MB(benchmark::State& state) {
  const std::string path = TempFile("qv_bench_vqclips.qvl");
  FullStore(10000).SaveToFile(path);
  for (auto _ : state) {
    qv::TClipStore store;
    store.LoadFromFile(path);
    benchmark::DoNotOptimize(store.Size());
  }
  fs::remove(path);
}
BENCHMARK(BM_StoreLoad16MB)->Unit(benchmark::kMillisecond);

void BM_StoreSave16MB(benchmark::State& state) {
  const std::string path = TempFile("qv_bench_vqclips.qvl");
  const qv::TClipStore store = FullStore(10000);
  for (auto _ : state) store.SaveToFile(path);
  fs::remove(path);
}
BENCHMARK(BM_StoreSave16MB)->Unit(benchmark::kMillisecond);

// The list file has the same line format; 10,000 list lines through the same buffer.
void BM_ListLoadSave10000(benchmark::State& state) {
  const std::string path = TempFile("qv_bench_Lb1.qvl");
  ListOf(10000).SaveToFile(path);
  for (auto _ : state) {
    qv::TTextBuffer list;
    list.LoadFromFile(path);
    list.SaveToFile(path);
  }
  fs::remove(path);
}
BENCHMARK(BM_ListLoadSave10000)->Unit(benchmark::kMillisecond);

// One capture of a 1 KB clip: unique id, block, display text. Arg 0 starts from an empty
// store, arg 15 from one holding 15,000,000 characters; the full one must not cost more.
// 1000 captures add about 1 MB, so the full store stays within its capacity.
void BM_Capture1KB(benchmark::State& state) {
  qv::TClipStore store = state.range(0) ? FullStore(9000, 15000000) : qv::TClipStore();
  qv::TClipIdGenerator ids([] { return 0x12345678u; });
  const std::string text = ClipText(1024, 'q');
  for (auto _ : state) {
    const std::string id = qv::NextUniqueClipId(ids, store, text);
    if (!store.AddClip(text, id)) state.SkipWithError("store full");
    benchmark::DoNotOptimize(qv::MakeListLine(qv::BuildDisplayText(text, FakeWidth), id));
  }
}
BENCHMARK(BM_Capture1KB)->Arg(0)->Arg(15)->Iterations(1000)->Unit(benchmark::kMicrosecond);

// The same capture into a store at its capacity: every clip makes room. The list shows the
// 72 newest clips, so the oldest blocks are unlisted and go first; arg 1 lists the oldest
// clip too (a favourite recalled again and again), so room is made above it.
void BM_Capture1KBIntoAFullStore(benchmark::State& state) {
  qv::TClipStore store = FullStore(10000);
  std::unordered_set<std::string> listed;
  for (int i = 10000 - 72; i < 10000; ++i) listed.insert(Id(i));
  if (state.range(0)) listed.insert(Id(0));
  const qv::TClipStore::TListedFunction isListed = [&](const std::string& key) {
    return listed.count(key) != 0;
  };
  qv::TClipIdGenerator ids([] { return 0x12345678u; });
  const std::string text = ClipText(1024, 'q');
  std::vector<std::string> evicted;
  for (auto _ : state) {
    const std::string id = qv::NextUniqueClipId(ids, store, text);
    if (!store.AddClip(text, id, isListed, &evicted)) state.SkipWithError("refused");
    benchmark::DoNotOptimize(qv::MakeListLine(qv::BuildDisplayText(text, FakeWidth), id));
  }
}
BENCHMARK(BM_Capture1KBIntoAFullStore)->Arg(0)->Arg(1)->Iterations(1000)->Unit(benchmark::kMicrosecond);

// Once the slowest lookup (a scan to the bottom): the oldest clip of a full store.
void BM_LocateOldestIn16MB(benchmark::State& state) {
  const qv::TClipStore store = FullStore(10000);
  const std::string line = qv::MakeListLine("x", Id(0));
  for (auto _ : state) benchmark::DoNotOptimize(store.Locate(line));
}
BENCHMARK(BM_LocateOldestIn16MB)->Unit(benchmark::kMicrosecond);

void BM_DisplayTextOfLongLine(benchmark::State& state) {
  const std::string text(4096, 'x');
  for (auto _ : state) benchmark::DoNotOptimize(qv::BuildDisplayText(text, FakeWidth));
}
BENCHMARK(BM_DisplayTextOfLongLine);

}  // namespace
