#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "framework/Strings.h"

namespace {

// A clip-list-like line: display text, the 70-space gap, the marker and a 13-digit id.
std::string ListLine(int i) {
  std::string line = "Clip number " + std::to_string(i) + " first line...";
  line.resize(20, ' ');
  line += std::string(70, ' ') + "/:hdr:\\";
  std::string id = std::to_string(1000000000000LL + i);
  return line + id.substr(id.size() - 13);
}

void FillList(qv::TStrings& list, int lines) {
  qv::TUpdateGuard update(list);
  list.Clear();
  for (int i = 0; i < lines; ++i) list.Add(ListLine(i));
}

// 16,777,215 bytes, the text store's limit, in lines of varying length.
std::string LargeText() {
  const size_t size = 16777215;
  std::string text;
  text.reserve(size);
  for (int i = 0; text.size() < size; ++i) {
    text.append(static_cast<size_t>(20 + i % 97), static_cast<char>('a' + i % 26));
    text += "\r\n";
  }
  text.resize(size);
  return text;
}

std::string BenchPath() {
  return (std::filesystem::temp_directory_path() / "qv_strings_bench_Lb1.qvl").string();
}

void BM_SaveToFile10kLines(benchmark::State& state) {
  qv::TStringList list;
  FillList(list, 10000);
  const std::string path = BenchPath();
  for (auto _ : state) list.SaveToFile(path);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(list.Text().size()));
  std::remove(path.c_str());
}
BENCHMARK(BM_SaveToFile10kLines)->Unit(benchmark::kMillisecond);

void BM_LoadFromFile10kLines(benchmark::State& state) {
  qv::TStringList list;
  FillList(list, 10000);
  const std::string path = BenchPath();
  list.SaveToFile(path);
  qv::TStringList loaded;
  for (auto _ : state) {
    loaded.LoadFromFile(path);
    benchmark::DoNotOptimize(loaded.Count());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(list.Text().size()));
  std::remove(path.c_str());
}
BENCHMARK(BM_LoadFromFile10kLines)->Unit(benchmark::kMillisecond);

void BM_SetText16MB(benchmark::State& state) {
  const std::string text = LargeText();
  qv::TStringList list;
  for (auto _ : state) {
    list.SetText(text);
    benchmark::DoNotOptimize(list.Count());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_SetText16MB)->Unit(benchmark::kMillisecond);

void BM_Text16MB(benchmark::State& state) {
  qv::TStringList list;
  list.SetText(LargeText());
  for (auto _ : state) {
    std::string text = list.Text();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(state.iterations() * 16777215LL);
}
BENCHMARK(BM_Text16MB)->Unit(benchmark::kMillisecond);

}  // namespace
