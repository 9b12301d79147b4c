#include <benchmark/benchmark.h>

#include "framework/SysUtils.h"

static void BM_StrToInt(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(qv::StrToInt("123456"));
}
BENCHMARK(BM_StrToInt);
