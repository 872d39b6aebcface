#include "server/storage/BoardStore.h"

#include <charconv>
#include <cstdio>

#include "server/storage/BoardSchema.h"
#include "server/storage/ContentHash.h"
#include "server/storage/PostgresConnection.h"
#include "server/storage/ScoreBands.h"
#include "server/storage/SqliteConnection.h"

namespace pelaryn {

namespace {

constexpr std::string_view RunColumns =
    "runs.id, runs.board, runs.name, runs.score, runs.combo, runs.ratio, runs.level, runs.frames, "
    "runs.played, runs.submitted, runs.content_hash, runs.start_input_key, runs.fingerprint";
constexpr std::size_t RunColumnCount = 13;

// Runs read per transaction while walking a board: a walk never holds the database for long.
constexpr int64_t WalkBatch = 100;

const std::string SelectRunById =
    "SELECT " + std::string(RunColumns) + " FROM runs WHERE runs.id = $1";
const std::string SelectPage = "SELECT " + std::string(RunColumns) +
                               " FROM runs WHERE runs.board = $1 AND runs.score <= $2 "
                               "ORDER BY runs.score DESC, runs.id LIMIT $3 OFFSET $4";
const std::string SelectWalkAll = "SELECT " + std::string(RunColumns) +
                                  ", replays.bytes FROM runs JOIN replays ON replays.run_id = "
                                  "runs.id WHERE runs.id > $1 ORDER BY runs.id LIMIT $2";
const std::string SelectWalkBoard = "SELECT " + std::string(RunColumns) +
                                    ", replays.bytes FROM runs JOIN replays ON replays.run_id = "
                                    "runs.id WHERE runs.board = $1 AND runs.id > $2 "
                                    "ORDER BY runs.id LIMIT $3";

constexpr const char* InsertRun =
    "INSERT INTO runs (board, name, score, combo, ratio, level, frames, played, submitted, "
    "content_hash, start_input_key, fingerprint) "
    "VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12) RETURNING id";
constexpr const char* InsertReplay = "INSERT INTO replays (run_id, bytes) VALUES ($1, $2)";
constexpr const char* AddToBands =
    "INSERT INTO score_bands (board, level, band, runs) "
    "VALUES ($1, 0, $2, $6), ($1, 1, $3, $6), ($1, 2, $4, $6), ($1, 3, $5, $6) "
    "ON CONFLICT (board, level, band) DO UPDATE SET runs = score_bands.runs + excluded.runs";
constexpr const char* DropEmptyBand =
    "DELETE FROM score_bands WHERE board = $1 AND level = $2 AND band = $3 AND runs = 0";
constexpr const char* AddToBoard =
    "INSERT INTO boards (board, runs) VALUES ($1, $2) "
    "ON CONFLICT (board) DO UPDATE SET runs = boards.runs + excluded.runs";
// One sum a level, so that each reads its few bands by the primary key (SQLite would read every
// band of the board for four ranges joined by OR).
constexpr const char* CountInBands =
    "SELECT (SELECT COALESCE(SUM(runs), 0) FROM score_bands "
    "        WHERE board = $1 AND level = 0 AND band BETWEEN $2 AND $3) + "
    "       (SELECT COALESCE(SUM(runs), 0) FROM score_bands "
    "        WHERE board = $1 AND level = 1 AND band BETWEEN $4 AND $5) + "
    "       (SELECT COALESCE(SUM(runs), 0) FROM score_bands "
    "        WHERE board = $1 AND level = 2 AND band BETWEEN $6 AND $7) + "
    "       (SELECT COALESCE(SUM(runs), 0) FROM score_bands "
    "        WHERE board = $1 AND level = 3 AND band BETWEEN $8 AND $9)";
constexpr const char* CountEqualBefore =
    "SELECT count(*) FROM runs WHERE board = $1 AND score = $2 AND id < $3";
constexpr const char* SelectBands =
    "SELECT band, runs FROM score_bands WHERE board = $1 AND level = $2 "
    "AND band BETWEEN $3 AND $4 AND runs > 0 ORDER BY band DESC";

std::string FingerprintText(uint64_t fingerprint) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(fingerprint));
  return text;
}

uint64_t FingerprintOf(const std::string& text) {
  uint64_t fingerprint = 0;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), fingerprint, 16);
  if (error != std::errc() || end != text.data() + text.size()) {
    throw SqlFailure(SqlFailureKind::Failed, "a stored fingerprint is not a fingerprint");
  }
  return fingerprint;
}

int32_t Int32(const SqlValue& value) {
  const int64_t number = SqlInt(value);
  if (number < INT32_MIN || number > INT32_MAX) {
    throw SqlFailure(SqlFailureKind::Failed, "a stored number is out of range");
  }
  return static_cast<int32_t>(number);
}

BoardRun RunFrom(const SqlRow& row) {
  if (row.size() < RunColumnCount) {
    throw SqlFailure(SqlFailureKind::Failed, "the database answered too few columns");
  }
  return {.Id = SqlInt(row[0]),
          .Board = SqlText(row[1]),
          .Name = SqlText(row[2]),
          .Score = Int32(row[3]),
          .Combo = Int32(row[4]),
          .Ratio = Int32(row[5]),
          .Level = Int32(row[6]),
          .Frames = SqlInt(row[7]),
          .PlayedAt = SqlInt(row[8]),
          .SubmittedAt = SqlInt(row[9]),
          .ContentHash = SqlText(row[10]),
          .StartInputKey = SqlText(row[11]),
          .Fingerprint = FingerprintOf(SqlText(row[12])),
          .Rank = 0};
}

// The runs of `board` above `score` (and equal to it, with `andEqual`).
int64_t CountAbove(SqlTransaction& t, std::string_view board, int32_t score, bool andEqual) {
  const auto spans = BandsAbove(score, andEqual);
  return SqlInt(
      t.Query(CountInBands, {board, spans[0].First, spans[0].Last, spans[1].First, spans[1].Last,
                             spans[2].First, spans[2].Last, spans[3].First, spans[3].Last})
          .at(0)
          .at(0));
}

// The rank of a stored run: after every better score, and after every equal one stored before.
int64_t RankOf(SqlTransaction& t, const std::string& board, int32_t score, int64_t id) {
  return 1 + CountAbove(t, board, score, false) +
         SqlInt(t.Query(CountEqualBefore, {board, int64_t{score}, id}).at(0).at(0));
}

void CountInBandsAndBoard(SqlTransaction& t, const std::string& board, int32_t score,
                          int64_t delta) {
  const int64_t key = ScoreKey(score);
  t.Query(AddToBands,
          {board, BandOf(key, 0), BandOf(key, 1), BandOf(key, 2), BandOf(key, 3), delta});
  if (delta < 0) {
    for (int level = 0; level < BandLevels; ++level) {
      t.Query(DropEmptyBand, {board, int64_t{level}, BandOf(key, level)});
    }
  }
  t.Query(AddToBoard, {board, delta});
}

std::optional<DuplicateOf> DuplicateIn(SqlTransaction& t, std::string_view hash,
                                       std::string_view key) {
  SqlRows rows = t.Query("SELECT id FROM runs WHERE content_hash = $1", {hash});
  if (!rows.empty()) return DuplicateOf{DuplicateKind::SameBytes, SqlInt(rows[0][0])};
  rows = t.Query("SELECT id FROM runs WHERE start_input_key = $1", {key});
  if (!rows.empty()) return DuplicateOf{DuplicateKind::SameRun, SqlInt(rows[0][0])};
  return std::nullopt;
}

Inserted InsertIn(SqlTransaction& t, const NewRun& run) {
  const std::string hash = ContentHash(run.Replay);
  if (const auto duplicate = DuplicateIn(t, hash, run.StartInputKey)) {
    return {.Duplicate = duplicate->Kind, .Id = duplicate->Id, .Rank = 0};
  }
  const std::string fingerprint = FingerprintText(run.Fingerprint);
  const int64_t id =
      SqlInt(t.Query(InsertRun, {run.Board, run.Name, int64_t{run.Score}, int64_t{run.Combo},
                                 int64_t{run.Ratio}, int64_t{run.Level}, run.Frames, run.PlayedAt,
                                 run.SubmittedAt, hash, run.StartInputKey, fingerprint})
                 .at(0)
                 .at(0));
  t.Query(InsertReplay, {id, SqlBytes{run.Replay}});
  CountInBandsAndBoard(t, run.Board, run.Score, +1);
  return {.Duplicate = DuplicateKind::None, .Id = id, .Rank = RankOf(t, run.Board, run.Score, id)};
}

StoreError ErrorOf(const SqlFailure& failure) {
  switch (failure.Kind()) {
    case SqlFailureKind::Unavailable:
      return {StoreFault::Unavailable, failure.what()};
    case SqlFailureKind::UniqueViolation:
      // Only when two writers raced past each other's check twice over: asking again settles it.
      return {StoreFault::Unavailable, failure.what()};
    case SqlFailureKind::Failed:
      break;
  }
  return {StoreFault::Failed, failure.what()};
}

// Runs `body` under the store's lock, turning every failure into a StoreError.
template <typename Body>
auto Guarded(std::mutex& mutex, Body&& body) -> StoreResult<decltype(body())> {
  std::lock_guard lock(mutex);
  try {
    return body();
  } catch (const SqlFailure& failure) {
    return ErrorOf(failure);
  } catch (const std::exception& e) {
    return StoreError{StoreFault::Failed, e.what()};
  }
}

}  // namespace

BoardStore::BoardStore(std::unique_ptr<SqlConnection> connection)
    : connection_(std::move(connection)) {}

StoreResult<std::unique_ptr<BoardStore>> BoardStore::Open(std::string_view location) {
  std::unique_ptr<SqlConnection> connection;
  try {
    if (location.starts_with("sqlite:") && location.size() > 7) {
      connection = SqliteConnection::Open(std::string(location.substr(7)));
    } else if (location.starts_with("postgresql://") || location.starts_with("postgres://")) {
      connection = PostgresConnection::Open(std::string(location));
    } else {
      return StoreError{
          StoreFault::Invalid,
          "a board's database is sqlite:PATH or postgresql://…, not " + std::string(location)};
    }
  } catch (const SqlFailure& failure) {
    return ErrorOf(failure);
  }
  return Open(std::move(connection));
}

StoreResult<std::unique_ptr<BoardStore>> BoardStore::Open(
    std::unique_ptr<SqlConnection> connection) {
  std::unique_ptr<BoardStore> store(new BoardStore(std::move(connection)));
  std::mutex& mutex = store->mutex_;
  StoreResult<int> found = Guarded(mutex, [&] { return MigrateBoardSchema(*store->connection_); });
  if (!found) return found.Error();
  if (found.Value() > BoardSchemaVersion) {
    return StoreError{StoreFault::SchemaTooNew,
                      "the board's database is laid out in version " +
                          std::to_string(found.Value()) + ", newer than this program's " +
                          std::to_string(BoardSchemaVersion) + ": use a newer pelaryn-server"};
  }
  return store;
}

StoreResult<Inserted> BoardStore::Insert(const NewRun& run) {
  StoreResult<std::vector<Inserted>> all = InsertAll(std::span(&run, 1));
  if (!all) return all.Error();
  return all.Value().at(0);
}

StoreResult<std::vector<Inserted>> BoardStore::InsertAll(std::span<const NewRun> runs) {
  for (const NewRun& run : runs) {
    if (run.Board.empty() || run.StartInputKey.empty()) {
      return StoreError{StoreFault::Invalid, "a run needs a board and a start and input key"};
    }
  }
  return Guarded(mutex_, [&] {
    std::vector<Inserted> inserted;
    const auto insertAll = [&](SqlTransaction& t) {
      inserted.clear();
      for (const NewRun& run : runs) inserted.push_back(InsertIn(t, run));
    };
    try {
      connection_->Transact(SqlAccess::Write, insertAll);
    } catch (const SqlFailure& failure) {
      // Another writer stored the same run between our check and our insert (PostgreSQL's
      // transactions run side by side); once more, and the check sees it.
      if (failure.Kind() != SqlFailureKind::UniqueViolation) throw;
      connection_->Transact(SqlAccess::Write, insertAll);
    }
    return inserted;
  });
}

StoreResult<std::optional<BoardRun>> BoardStore::Find(int64_t id) {
  return Guarded(mutex_, [&] {
    std::optional<BoardRun> run;
    connection_->Transact(SqlAccess::Read, [&](SqlTransaction& t) {
      const SqlRows rows = t.Query(SelectRunById, {id});
      if (rows.empty()) return;
      run = RunFrom(rows[0]);
      run->Rank = RankOf(t, run->Board, run->Score, run->Id);
    });
    return run;
  });
}

StoreResult<std::optional<std::string>> BoardStore::Replay(int64_t id) {
  return Guarded(mutex_, [&] {
    std::optional<std::string> bytes;
    connection_->Transact(SqlAccess::Read, [&](SqlTransaction& t) {
      const SqlRows rows = t.Query("SELECT bytes FROM replays WHERE run_id = $1", {id});
      if (!rows.empty()) bytes = SqlText(rows[0][0]);
    });
    return bytes;
  });
}

StoreResult<std::optional<DuplicateOf>> BoardStore::FindDuplicate(std::string_view contentHash,
                                                                  std::string_view startInputKey) {
  return Guarded(mutex_, [&] {
    std::optional<DuplicateOf> duplicate;
    connection_->Transact(SqlAccess::Read, [&](SqlTransaction& t) {
      duplicate = DuplicateIn(t, contentHash, startInputKey);
    });
    return duplicate;
  });
}

StoreResult<std::vector<BoardSize>> BoardStore::Boards() {
  return Guarded(mutex_, [&] {
    std::vector<BoardSize> boards;
    connection_->Transact(SqlAccess::Read, [&](SqlTransaction& t) {
      for (const SqlRow& row :
           t.Query("SELECT board, runs FROM boards WHERE runs > 0 ORDER BY board")) {
        boards.push_back({SqlText(row[0]), SqlInt(row[1])});
      }
    });
    return boards;
  });
}

StoreResult<BoardPage> BoardStore::Page(std::string_view board, int64_t offset, int limit) {
  if (offset < 0 || limit < 0 || limit > MaxPageRows) {
    return StoreError{StoreFault::Invalid, "a page starts at 0 or later and holds at most " +
                                               std::to_string(MaxPageRows) + " runs"};
  }
  return Guarded(mutex_, [&] {
    BoardPage page;
    connection_->Transact(SqlAccess::Read, [&](SqlTransaction& t) {
      page.Rows.clear();
      const SqlRows total = t.Query("SELECT runs FROM boards WHERE board = $1", {board});
      page.Total = total.empty() ? 0 : SqlInt(total[0][0]);
      if (offset >= page.Total || limit == 0) return;
      // Down the bands, from the widest, to the score of the run ranked offset + 1; `skip` runs
      // with that very score come before it.
      int64_t skip = offset;
      BandSpan span{.Level = BandLevels - 1, .First = 0, .Last = BandsPerParent - 1};
      int64_t band = -1;
      for (int level = BandLevels - 1; level >= 0; --level) {
        band = -1;
        for (const SqlRow& row :
             t.Query(SelectBands, {board, int64_t{level}, span.First, span.Last})) {
          const int64_t runs = SqlInt(row[1]);
          if (skip < runs) {
            band = SqlInt(row[0]);
            break;
          }
          skip -= runs;
        }
        if (band < 0) throw SqlFailure(SqlFailureKind::Failed, "the board's counts disagree");
        if (level > 0) span = BandsWithin(level, band);
      }
      const int32_t score = KeyScore(band);
      const SqlRows rows = t.Query(SelectPage, {board, int64_t{score}, int64_t{limit}, skip});
      for (std::size_t i = 0; i < rows.size(); ++i) {
        BoardRun& run = page.Rows.emplace_back(RunFrom(rows[i]));
        run.Rank = offset + 1 + static_cast<int64_t>(i);
      }
    });
    return page;
  });
}

StoreResult<int64_t> BoardStore::RankFor(std::string_view board, int32_t score) {
  return Guarded(mutex_, [&] {
    int64_t rank = 0;
    connection_->Transact(SqlAccess::Read,
                          [&](SqlTransaction& t) { rank = 1 + CountAbove(t, board, score, true); });
    return rank;
  });
}

StoreResult<bool> BoardStore::Remove(int64_t id) {
  return Guarded(mutex_, [&] {
    bool removed = false;
    connection_->Transact(SqlAccess::Write, [&](SqlTransaction& t) {
      const SqlRows rows = t.Query("SELECT board, score FROM runs WHERE id = $1", {id});
      removed = !rows.empty();
      if (!removed) return;
      const std::string board = SqlText(rows[0][0]);
      const int32_t score = Int32(rows[0][1]);
      t.Query("DELETE FROM replays WHERE run_id = $1", {id});
      t.Query("DELETE FROM runs WHERE id = $1", {id});
      CountInBandsAndBoard(t, board, score, -1);
    });
    return removed;
  });
}

StoreResult<int64_t> BoardStore::ForEachRun(
    std::string_view board,
    const std::function<bool(const BoardRun& run, const std::string& replay)>& visit) {
  int64_t shown = 0;
  int64_t after = 0;
  for (;;) {
    std::vector<std::pair<BoardRun, std::string>> batch;
    StoreResult<bool> read = Guarded(mutex_, [&] {
      connection_->Transact(SqlAccess::Read, [&](SqlTransaction& t) {
        batch.clear();
        const SqlRows rows = board.empty() ? t.Query(SelectWalkAll, {after, WalkBatch})
                                           : t.Query(SelectWalkBoard, {board, after, WalkBatch});
        for (const SqlRow& row : rows) {
          BoardRun run = RunFrom(row);
          run.Rank = RankOf(t, run.Board, run.Score, run.Id);
          batch.emplace_back(std::move(run), SqlText(row.at(RunColumnCount)));
        }
      });
      return true;
    });
    if (!read) return read.Error();
    for (const auto& [run, replay] : batch) {
      ++shown;
      if (!visit(run, replay)) return shown;
    }
    if (static_cast<int64_t>(batch.size()) < WalkBatch) return shown;
    after = batch.back().first.Id;
  }
}

}  // namespace pelaryn
