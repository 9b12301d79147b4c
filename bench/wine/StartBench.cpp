// Measures the real qvavad.exe under Wine with an empty history and with a long one: how
// long a start takes until the program answers, how long the hot key takes to bring the
// clip window up, and how much memory the program holds. It prints the numbers; it passes
// or fails only on whether the program could be driven at all.
//
//   qv_wine_bench.exe [clips] [runs]     (defaults: 100000 clips, 3 runs of each)

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/HistoryFiles.h"
#include "framework/Accessible.h"
#include "tests/e2e/Harness.h"

namespace qv::e2e {
namespace {

using Clock = std::chrono::steady_clock;

int g_clips = 100000;
int g_runs = 3;

// Starts with a long history take long before this benchmark's changes.
constexpr Millis kSlowStart{180000};
constexpr int kShows = 5;

double MsSince(Clock::time_point from) {
  return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

struct Memory {
  double now = 0, peak = 0;  // MB
};

Memory MemoryOf(DWORD processId) {
  Memory memory;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (!process) return memory;
  PROCESS_MEMORY_COUNTERS counters{};
  if (GetProcessMemoryInfo(process, &counters, sizeof counters)) {
    memory.now = static_cast<double>(counters.WorkingSetSize) / (1 << 20);
    memory.peak = static_cast<double>(counters.PeakWorkingSetSize) / (1 << 20);
  }
  CloseHandle(process);
  return memory;
}

struct Sample {
  double ready = 0;  // ms from the start until the program answers, its first show done
  double show = 0;   // ms from the hot key to the window shown (median of kShows)
  double name = 0;   // ms for a screen reader in another process to read one line's name
  Memory memory;     // after the shows
};

// The median time of a line's name read through the list's accessible object, lines from
// the top, the middle and the end of the list, as a screen reader asks for them.
double MeasureNaming(HWND list) {
  IAccessible* object = nullptr;
  if (!list || AccessibleObjectFromWindow(list, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                          reinterpret_cast<void**>(&object)) != S_OK)
    return 0;
  long count = 0;
  object->get_accChildCount(&count);
  std::vector<double> times;
  for (int round = 0; round < 20 && count > 0; ++round) {
    for (long id : {1L, count / 2 + 1, count}) {
      VARIANT child;
      VariantInit(&child);
      child.vt = VT_I4;
      child.lVal = id;
      BSTR name = nullptr;
      const Clock::time_point asked = Clock::now();
      if (object->get_accName(child, &name) == S_OK) times.push_back(MsSince(asked));
      SysFreeString(name);
    }
  }
  object->Release();
  return Median(times);
}

Sample MeasureOnce(int clips) {
  Sample run;
  TestFolder folder;
  if (clips > 0) {
    EXPECT_TRUE(bench::WriteHistoryFiles(folder.Path() + "\\", clips));
  }
  // A text on the clipboard: the start records it, so that even an empty history shows a
  // line once the start has got that far.
  EXPECT_TRUE(SetClipboardText("the clipboard at the start"));
  Program program(folder);
  const Clock::time_point started = Clock::now();
  if (!program.Start()) return run;
  HWND main = program.MainWindow(kSlowStart);
  if (!main) return run;
  // The hot key is held while the window is made, before the files are read, so it tells
  // nothing until the list holds the history (or the new line); then the first
  // activation takes it again and hides the window.
  const LRESULT expected = std::max(clips, 1);
  EXPECT_TRUE(Eventually(
      [&] {
        HWND list = FindClipList(main);
        DWORD_PTR count = 0;
        return list && SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 100, &count) &&
               static_cast<LRESULT>(count) >= expected;
      },
      "the history in the list", kSlowStart));
  EXPECT_TRUE(Eventually(
      [&] {
        if (IsWindowVisible(main)) return false;
        if (RegisterHotKey(nullptr, 0x5153, MOD_CONTROL | MOD_ALT, VK_DOWN)) {
          UnregisterHotKey(nullptr, 0x5153);
          return false;
        }
        return true;
      },
      "the first activation", kSlowStart));
  run.ready = MsSince(started);

  TargetWindow target;
  std::vector<double> shows;
  for (int i = 0; i < kShows; ++i) {
    if (!target.BringToFront()) break;
    const Clock::time_point pressed = Clock::now();
    if (!PressKey(VK_DOWN, kCtrl | kAlt)) break;
    if (!Eventually([&] { return IsWindowVisible(main) != FALSE; }, "the clip window",
                    kSlowStart))
      break;
    shows.push_back(MsSince(pressed));
    PressKey(VK_DOWN, kCtrl | kAlt);  // a second press hides it
    if (!Eventually([&] { return !IsWindowVisible(main); }, "the window to hide", kSlowStart))
      break;
  }
  run.show = Median(shows);
  run.name = MeasureNaming(FindClipList(main));
  run.memory = MemoryOf(program.ProcessId());
  std::printf(
      "  %6d clips: ready %8.0f ms, hot key to shown %7.1f ms (%zu shows), name %.3f ms,"
      " %6.1f MB\n",
      clips, run.ready, run.show, shows.size(), run.name, run.memory.now);
  program.Kill();  // a quit would save 30 MB for nothing
  return run;
}

// The medians of the runs.
Sample Report(const std::string& what, const std::vector<Sample>& runs) {
  std::vector<double> ready, show, name, now, peak;
  for (const Sample& r : runs) {
    ready.push_back(r.ready);
    show.push_back(r.show);
    name.push_back(r.name);
    now.push_back(r.memory.now);
    peak.push_back(r.memory.peak);
  }
  const Sample median{Median(ready), Median(show), Median(name), {Median(now), Median(peak)}};
  std::printf(
      "%-14s start until ready %8.0f ms   hot key to shown %7.1f ms   a line's name"
      " %.3f ms   memory %6.1f MB (peak %6.1f MB)\n",
      what.c_str(), median.ready, median.show, median.name, median.memory.now, median.memory.peak);
  return median;
}

TEST(WineBench, StartHotKeyAndMemoryEmptyAndLong) {
  std::vector<Sample> empty, full;
  for (int i = 0; i < g_runs; ++i) {
    empty.push_back(MeasureOnce(0));
    full.push_back(MeasureOnce(g_clips));
  }
  const Sample e = Report("empty history", empty);
  const Sample f = Report(std::to_string(g_clips) + " clips", full);
  if (e.ready > 0 && e.show > 0)
    std::printf("long / empty: start %.2fx, hot key %.2fx\n", f.ready / e.ready, f.show / e.show);
  std::fflush(stdout);
}

}  // namespace
}  // namespace qv::e2e

int main(int argc, char** argv) {
  // Each sample as it comes: a long run that is stopped still tells what it measured.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  ::testing::InitGoogleTest(&argc, argv);
  CoInitialize(nullptr);  // a screen reader's side of the accessible objects
  if (argc > 1) qv::e2e::g_clips = std::max(1, std::atoi(argv[1]));
  if (argc > 2) qv::e2e::g_runs = std::max(1, std::atoi(argv[2]));
  return RUN_ALL_TESTS();
}
