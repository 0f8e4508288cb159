// The date order: the program's method against the literal exchange sort,
// over the tie patterns that folders show.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include "filelist/filelist.h"
#include "filelist/stamp_order.h"

namespace {

enum Shape { kRandom, kSorted, kReverse, kAllEqual, kFewDistinct };

std::vector<uint32_t> Stamps(Shape shape, size_t count) {
  std::mt19937 random(7);
  std::vector<uint32_t> stamps(count);
  for (size_t i = 0; i < count; i++) {
    switch (shape) {
      case kRandom: stamps[i] = random(); break;
      case kSorted: stamps[i] = static_cast<uint32_t>(i); break;
      case kReverse: stamps[i] = static_cast<uint32_t>(count - i); break;
      case kAllEqual: stamps[i] = 42; break;
      case kFewDistinct: stamps[i] = 1 + random() % 5; break;
    }
  }
  return stamps;
}

std::vector<uint32_t> LiteralOrder(std::vector<uint32_t> stamps) {
  std::vector<uint32_t> index(stamps.size());
  for (size_t i = 0; i < index.size(); i++) index[i] = static_cast<uint32_t>(i);
  for (size_t a = 0; a < stamps.size(); a++)
    for (size_t b = a + 1; b < stamps.size(); b++)
      if (stamps[a] > stamps[b]) {
        std::swap(stamps[a], stamps[b]);
        std::swap(index[a], index[b]);
      }
  return index;
}

void BM_Order(benchmark::State& state) {
  std::vector<uint32_t> stamps = Stamps(static_cast<Shape>(state.range(0)), state.range(1));
  std::vector<uint32_t> order(stamps.size());
  std::vector<uint64_t> scratch(ExchangeSortScratch(stamps.size()));
  for (auto _ : state) {
    ExchangeSortOrder(stamps.data(), stamps.size(), order.data(), scratch.data());
    benchmark::DoNotOptimize(order.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(1));
}

// The literal procedure; its counter tells how many times slower it is.
void BM_LiteralOrder(benchmark::State& state) {
  std::vector<uint32_t> stamps = Stamps(static_cast<Shape>(state.range(0)), state.range(1));
  std::vector<uint32_t> order(stamps.size());
  std::vector<uint64_t> scratch(ExchangeSortScratch(stamps.size()));
  auto start = std::chrono::steady_clock::now();
  const int rounds = 5;
  for (int i = 0; i < rounds; i++) ExchangeSortOrder(stamps.data(), stamps.size(), order.data(), scratch.data());
  double fast = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / rounds;
  double literal = 0;
  for (auto _ : state) {
    auto begin = std::chrono::steady_clock::now();
    std::vector<uint32_t> result = LiteralOrder(stamps);
    literal += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    if (result != order) state.SkipWithError("the orders differ");
  }
  state.counters["literal_over_program"] = literal / state.iterations() / fast;
}

// The whole ordering of a real list of nodes: snapshot, order, write-back.
void BM_SortByStamp(benchmark::State& state) {
  std::vector<uint32_t> stamps = Stamps(static_cast<Shape>(state.range(0)), state.range(1));
  std::vector<BlockHandle> nodes(stamps.size());
  for (size_t i = 0; i < stamps.size(); i++) {
    nodes[i] = AllocBlock(sizeof(FileEntry));
    BlockHandle name = AllocBlock(2);
    FileEntry* entry = static_cast<FileEntry*>(LockBlock(nodes[i]));
    *entry = FileEntry{name, nodes[i], stamps[i]};
    UnlockBlock(nodes[i]);
    if (i > 0) {
      static_cast<FileEntry*>(LockBlock(nodes[i - 1]))->next = nodes[i];
      UnlockBlock(nodes[i - 1]);
    }
  }
  FileList = stamps.empty() ? nullptr : nodes[0];
  FileCount = static_cast<int32_t>(stamps.size());
  for (auto _ : state) {
    state.PauseTiming();  // every round orders the same unordered list
    for (size_t i = 0; i < stamps.size(); i++) {
      static_cast<FileEntry*>(LockBlock(nodes[i]))->stamp = stamps[i];
      UnlockBlock(nodes[i]);
    }
    state.ResumeTiming();
    SortByStamp();
  }
  state.SetItemsProcessed(state.iterations() * state.range(1));
  ReleaseFileList();
}

void Shapes(benchmark::internal::Benchmark* bench, std::vector<int64_t> sizes) {
  bench->ArgNames({"shape", "n"});
  for (int64_t shape = kRandom; shape <= kFewDistinct; shape++)
    for (int64_t size : sizes) bench->Args({shape, size});
  bench->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_Order)->Apply([](benchmark::internal::Benchmark* b) { Shapes(b, {1000, 10000, 100000, 1000000}); });
BENCHMARK(BM_LiteralOrder)->Apply([](benchmark::internal::Benchmark* b) { Shapes(b, {1000, 10000}); })->Iterations(1);
BENCHMARK(BM_SortByStamp)->Apply([](benchmark::internal::Benchmark* b) { Shapes(b, {1000000}); });

// The fatal error report has nowhere to show a box here.
#include <cstdio>
#include "ui/ui.h"
MessageAnswer ShowMessageBox(const char* text, const char*, MessageButtons, MessageIcon, int) {
  fprintf(stderr, "%s\n", text);
  return kAnswerOk;
}

BENCHMARK_MAIN();
