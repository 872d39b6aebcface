// The score board's storage with a million runs on one board: a page at the top, the middle and
// the end, the rank a new score would take, a stored run with its rank, and one run stored and
// removed again. The board is filled once and kept for later runs: in SQLite at
// $PELARYN_BENCH_BOARD (default: pelaryn-board-bench.db in the temporary folder) and, when
// $PELARYN_BENCH_POSTGRES names a database (postgresql://…), there too.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>

#include "server/storage/BoardStore.h"

namespace pelaryn {
namespace {

constexpr int64_t BoardRuns = 1'000'000;
// Runs stored per transaction while filling. PostgreSQL keeps every version of a row that one
// transaction updates, and each run updates its board's count and its widest bands: batches
// there stay small, or each update walks thousands of versions before it.
constexpr int FillBatch[2] = {10'000, 100};
constexpr const char* Board = "standard";

NewRun GeneratedRun(std::mt19937_64& random, int64_t serial) {
  NewRun run;
  run.Board = Board;
  run.Name = "runner " + std::to_string(serial % 5000);
  // Scores in tens up to two million: about five runs share each score, as ties are common.
  run.Score = static_cast<int32_t>(random() % 200'000) * 10;
  run.Combo = static_cast<int32_t>(random() % 300);
  run.Ratio = static_cast<int32_t>(random() % 101);
  run.Level = static_cast<int32_t>(random() % 40);
  run.Frames = 3'600 + static_cast<int64_t>(random() % 18'000);
  run.PlayedAt = 1'790'000'000 + serial;
  run.SubmittedAt = run.PlayedAt + 30;
  run.StartInputKey = "generated " + std::to_string(serial);
  run.Fingerprint = random();
  // As long as a short game's replay.
  run.Replay.resize(2'000);
  for (char& c : run.Replay) c = static_cast<char>(random());
  return run;
}

std::string Location(int backend) {
  if (backend == 1) {
    const char* url = std::getenv("PELARYN_BENCH_POSTGRES");
    return url ? url : "";
  }
  const char* path = std::getenv("PELARYN_BENCH_BOARD");
  return "sqlite:" +
         (path ? std::string(path)
               : (std::filesystem::temp_directory_path() / "pelaryn-board-bench.db").string());
}

// The store of `backend` (0 SQLite, 1 PostgreSQL) with a full board, or null with the reason.
BoardStore* FilledStore(int backend, std::string& why) {
  static std::unique_ptr<BoardStore> stores[2];
  if (stores[backend]) return stores[backend].get();
  const std::string location = Location(backend);
  if (location.empty()) {
    why = "set PELARYN_BENCH_POSTGRES to a PostgreSQL database";
    return nullptr;
  }
  auto opened = BoardStore::Open(location);
  if (!opened) {
    why = opened.Error().Message;
    return nullptr;
  }
  BoardStore& store = *opened.Value();
  const auto page = store.Page(Board, 0, 0);
  int64_t have = page ? page->Total : 0;
  if (have < BoardRuns) {
    std::mt19937_64 random(static_cast<uint64_t>(have) + 34);
    const auto start = std::chrono::steady_clock::now();
    std::vector<NewRun> batch;
    while (have < BoardRuns) {
      batch.clear();
      for (int i = 0; i < FillBatch[backend] && have + i < BoardRuns; ++i) {
        batch.push_back(GeneratedRun(random, have + i));
      }
      const auto inserted = store.InsertAll(batch);
      if (!inserted) {
        why = inserted.Error().Message;
        return nullptr;
      }
      have += static_cast<int64_t>(batch.size());
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "filled %s to %lld runs in %.1f s\n", backend ? "PostgreSQL" : "SQLite",
                 static_cast<long long>(have), seconds);
  }
  stores[backend] = std::move(opened.Value());
  return stores[backend].get();
}

void BM_BoardPage(benchmark::State& state) {
  std::string why;
  BoardStore* store = FilledStore(static_cast<int>(state.range(0)), why);
  if (!store) return state.SkipWithError(why.c_str());
  for (auto _ : state) {
    const auto page = store->Page(Board, state.range(1), MaxPageRows);
    if (!page || page->Rows.empty()) return state.SkipWithError("no page");
    benchmark::DoNotOptimize(page->Rows.back().Rank);
  }
}
BENCHMARK(BM_BoardPage)
    ->ArgNames({"postgres", "offset"})
    ->ArgsProduct({{0, 1}, {0, 500'000, BoardRuns - MaxPageRows}})
    ->Unit(benchmark::kMillisecond);

void BM_RankForScore(benchmark::State& state) {
  std::string why;
  BoardStore* store = FilledStore(static_cast<int>(state.range(0)), why);
  if (!store) return state.SkipWithError(why.c_str());
  for (auto _ : state) {
    const auto rank = store->RankFor(Board, static_cast<int32_t>(state.range(1)));
    if (!rank) return state.SkipWithError(rank.Error().Message.c_str());
    benchmark::DoNotOptimize(rank.Value());
  }
}
BENCHMARK(BM_RankForScore)
    ->ArgNames({"postgres", "score"})
    ->ArgsProduct({{0, 1}, {1'999'990, 1'000'000, 5}})
    ->Unit(benchmark::kMillisecond);

// A stored run read back with its rank, which counts the runs tied with it that came earlier.
void BM_FindWithRank(benchmark::State& state) {
  std::string why;
  BoardStore* store = FilledStore(static_cast<int>(state.range(0)), why);
  if (!store) return state.SkipWithError(why.c_str());
  const auto page = store->Page(Board, 500'000, 1);
  if (!page || page->Rows.empty()) return state.SkipWithError("no page");
  for (auto _ : state) {
    const auto run = store->Find(page->Rows[0].Id);
    if (!run || !run.Value()) return state.SkipWithError("no run");
    benchmark::DoNotOptimize(run.Value()->Rank);
  }
}
BENCHMARK(BM_FindWithRank)->ArgNames({"postgres"})->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One run stored (committed to disk) and removed again.
void BM_InsertAndRemove(benchmark::State& state) {
  std::string why;
  BoardStore* store = FilledStore(static_cast<int>(state.range(0)), why);
  if (!store) return state.SkipWithError(why.c_str());
  std::mt19937_64 random(7);
  NewRun run = GeneratedRun(random, BoardRuns + 1);
  for (auto _ : state) {
    const auto inserted = store->Insert(run);
    if (!inserted) return state.SkipWithError(inserted.Error().Message.c_str());
    if (!store->Remove(inserted->Id)) return state.SkipWithError("not removed");
  }
}
BENCHMARK(BM_InsertAndRemove)
    ->ArgNames({"postgres"})
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pelaryn
