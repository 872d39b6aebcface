#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "server/storage/SqlConnection.h"
#include "server/storage/StoreResult.h"

namespace pelaryn {

// A run the service has verified, as it goes onto the board: the figures come from the
// service's own playback, never from what the file claims.
struct NewRun {
  std::string Board;
  std::string Name;
  int32_t Score = 0;
  int32_t Combo = 0;
  int32_t Ratio = 0;
  int32_t Level = 0;
  int64_t Frames = 0;
  int64_t PlayedAt = 0;     // Unix seconds, as recorded in the replay
  int64_t SubmittedAt = 0;  // Unix seconds, by the service's clock
  // The same start and the same input give the same key, whatever else the file holds (its
  // name, its time): a run sent twice with a new name is still the same run.
  std::string StartInputKey;
  uint64_t Fingerprint = 0;  // what the service's playback ended on
  std::string Replay;        // the bytes as submitted
};

// A run on the board.
struct BoardRun {
  int64_t Id = 0;
  std::string Board;
  std::string Name;
  int32_t Score = 0;
  int32_t Combo = 0;
  int32_t Ratio = 0;
  int32_t Level = 0;
  int64_t Frames = 0;
  int64_t PlayedAt = 0;
  int64_t SubmittedAt = 0;
  std::string ContentHash;  // see ContentHash.h
  std::string StartInputKey;
  uint64_t Fingerprint = 0;
  int64_t Rank = 0;  // 1 for the best run of its board
  bool operator==(const BoardRun&) const = default;
};

enum class DuplicateKind {
  None,
  SameBytes,  // these very bytes are on the board
  SameRun,    // the same start and input are, in other bytes
};

struct Inserted {
  DuplicateKind Duplicate = DuplicateKind::None;
  int64_t Id = 0;    // the new run's, or the run it duplicates
  int64_t Rank = 0;  // the new run's; 0 for a duplicate
};

struct DuplicateOf {
  DuplicateKind Kind = DuplicateKind::None;
  int64_t Id = 0;
};

struct BoardSize {
  std::string Board;
  int64_t Runs = 0;
  bool operator==(const BoardSize&) const = default;
};

struct BoardPage {
  int64_t Total = 0;  // runs on the board
  std::vector<BoardRun> Rows;
};

inline constexpr int MaxPageRows = 100;

// The score boards: runs ranked per board, best first, an equal score below the run that made
// it first (as the game's own ranking places a new equal score below the old one), each run
// with the bytes of its replay. On SQLite or PostgreSQL alike; every answer is a value or a
// StoreError, never an exception, and a write is whole or not at all. Safe to share between
// threads, which then take turns; open one per thread for reads side by side.
class BoardStore {
 public:
  // "sqlite:PATH" (the file is made when missing) or "postgresql://…"/"postgres://…" (see
  // PostgresConnection.h). The database is brought up to this program's layout; one laid out
  // by a newer program is refused (SchemaTooNew).
  static StoreResult<std::unique_ptr<BoardStore>> Open(std::string_view location);
  static StoreResult<std::unique_ptr<BoardStore>> Open(std::unique_ptr<SqlConnection> connection);

  // Stores a run with its replay, unless the same bytes or the same run are on the board
  // already; then nothing is stored and the answer names the run it duplicates.
  StoreResult<Inserted> Insert(const NewRun& run);
  // Several runs in one transaction: all that are not duplicates, or none when it fails. Each
  // run updates its board's count; PostgreSQL keeps every version of a row one transaction
  // updates, so batches of more than some hundred runs slow down there.
  StoreResult<std::vector<Inserted>> InsertAll(std::span<const NewRun> runs);

  StoreResult<std::optional<BoardRun>> Find(int64_t id);
  StoreResult<std::optional<std::string>> Replay(int64_t id);
  // A run on the board with these bytes (by their ContentHash) or this start and input.
  StoreResult<std::optional<DuplicateOf>> FindDuplicate(std::string_view contentHash,
                                                        std::string_view startInputKey);

  // The boards that hold runs, by name, with how many.
  StoreResult<std::vector<BoardSize>> Boards();
  // Up to `limit` (0 … MaxPageRows) runs from the one ranked offset + 1 on, best first.
  StoreResult<BoardPage> Page(std::string_view board, int64_t offset, int limit);
  // The rank a new run with this score would take: below every run with the same score.
  StoreResult<int64_t> RankFor(std::string_view board, int32_t score);

  // True when there was such a run.
  StoreResult<bool> Remove(int64_t id);
  // Calls `visit` for each run of `board` (every board when empty) with its replay, oldest
  // first, until it answers false; returns how many it was shown. The store is free while
  // `visit` runs, so that it may remove the run it was shown.
  StoreResult<int64_t> ForEachRun(
      std::string_view board,
      const std::function<bool(const BoardRun& run, const std::string& replay)>& visit);

 private:
  explicit BoardStore(std::unique_ptr<SqlConnection> connection);

  std::mutex mutex_;
  std::unique_ptr<SqlConnection> connection_;
};

}  // namespace pelaryn
