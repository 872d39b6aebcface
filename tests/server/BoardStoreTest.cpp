// The board's storage, one suite run against SQLite and against PostgreSQL: what is stored reads
// back byte for byte, a run goes on the board once, pages and ranks follow the game's ranking
// (an equal score below the one stored first) at every offset, the layout is migrated and a newer
// one refused, and a database that fails answers an error and keeps nothing half stored.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <random>

#include "Backends.h"
#include "server/storage/BoardSchema.h"
#include "server/storage/ContentHash.h"

namespace pelaryn {
namespace {

using testing::OpenStore;

NewRun MakeRun(const std::string& board, int32_t score, int serial, std::string name = "KEVA") {
  NewRun run;
  run.Board = board;
  run.Name = std::move(name);
  run.Score = score;
  run.Combo = serial % 97;
  run.Ratio = serial % 101;
  run.Level = serial % 13;
  run.Frames = 3600 + serial;
  run.PlayedAt = 1'790'000'000 + serial;
  run.SubmittedAt = run.PlayedAt + 45;
  run.StartInputKey = "start+input " + std::to_string(serial);
  run.Fingerprint = 0xfedcba9876543210ULL ^ static_cast<uint64_t>(serial);
  // Bytes a text column would damage: a zero, a byte above 0x7f, a line end.
  run.Replay = std::string("PELRPY\x1a\n\0\xff\r\n", 12) + std::to_string(serial);
  return run;
}

template <typename Backend>
class BoardStoreTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Backend::StartSuite(); }
  static void TearDownTestSuite() { Backend::EndSuite(); }
  void SetUp() override {
    location_ = Backend::Fresh();
    store_ = OpenStore(location_);
    ASSERT_TRUE(store_);
  }

  int64_t Add(const NewRun& run) {
    const auto inserted = store_->Insert(run);
    EXPECT_TRUE(inserted) << inserted.Error().Message;
    EXPECT_EQ(inserted ? inserted->Duplicate : DuplicateKind::SameRun, DuplicateKind::None);
    return inserted ? inserted->Id : 0;
  }
  // The board's runs as the game ranks them, by names, read a page at a time.
  std::vector<std::string> Names(const std::string& board, int64_t offset, int limit) {
    const auto page = store_->Page(board, offset, limit);
    EXPECT_TRUE(page) << page.Error().Message;
    std::vector<std::string> names;
    if (!page) return names;
    for (const BoardRun& run : page->Rows) {
      EXPECT_EQ(run.Rank, offset + 1 + static_cast<int64_t>(names.size()));
      names.push_back(run.Name);
    }
    return names;
  }

  std::string location_;
  std::unique_ptr<BoardStore> store_;
};

TYPED_TEST_SUITE(BoardStoreTest, testing::Backends, testing::BackendNames);

TYPED_TEST(BoardStoreTest, ARunReadsBackAsStoredAfterReopening) {
  const NewRun run = MakeRun("standard", 31'415, 7, "<script>alert(\"x\")</script> O'Neil ”🎮🚀");
  const int64_t id = this->Add(run);
  this->store_ = OpenStore(this->location_);
  ASSERT_TRUE(this->store_);
  const auto found = this->store_->Find(id);
  ASSERT_TRUE(found && found.Value()) << (found ? "no run" : found.Error().Message);
  const BoardRun expected{.Id = id,
                          .Board = run.Board,
                          .Name = run.Name,
                          .Score = run.Score,
                          .Combo = run.Combo,
                          .Ratio = run.Ratio,
                          .Level = run.Level,
                          .Frames = run.Frames,
                          .PlayedAt = run.PlayedAt,
                          .SubmittedAt = run.SubmittedAt,
                          .ContentHash = ContentHash(run.Replay),
                          .StartInputKey = run.StartInputKey,
                          .Fingerprint = run.Fingerprint,
                          .Rank = 1};
  EXPECT_EQ(*found.Value(), expected);
  EXPECT_EQ(this->store_->Replay(id).Value(), run.Replay);
  EXPECT_EQ(this->store_->Find(id + 1).Value(), std::nullopt);
  EXPECT_EQ(this->store_->Replay(id + 1).Value(), std::nullopt);
}

TYPED_TEST(BoardStoreTest, ARunGoesOnTheBoardOnce) {
  const NewRun first = MakeRun("standard", 500, 1);
  const int64_t id = this->Add(first);
  NewRun sameBytes = MakeRun("standard", 500, 2);
  sameBytes.Replay = first.Replay;
  NewRun sameRun = MakeRun("standard", 500, 3);
  sameRun.StartInputKey = first.StartInputKey;
  const struct {
    const char* what;
    NewRun run;
    DuplicateKind expected;
  } cases[] = {{"same bytes", sameBytes, DuplicateKind::SameBytes},
               {"same start and input", sameRun, DuplicateKind::SameRun},
               {"both", first, DuplicateKind::SameBytes}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto found =
        this->store_->FindDuplicate(ContentHash(c.run.Replay), c.run.StartInputKey).Value();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Kind, c.expected);
    EXPECT_EQ(found->Id, id);
    const auto inserted = this->store_->Insert(c.run);
    ASSERT_TRUE(inserted) << inserted.Error().Message;
    EXPECT_EQ(inserted->Duplicate, c.expected);
    EXPECT_EQ(inserted->Id, id);
  }
  // Twice in one batch: the second is the first's duplicate.
  const NewRun fresh = MakeRun("standard", 600, 4);
  const auto batch = this->store_->InsertAll(std::vector{fresh, fresh});
  ASSERT_TRUE(batch) << batch.Error().Message;
  EXPECT_EQ(batch->at(0).Duplicate, DuplicateKind::None);
  EXPECT_EQ(batch->at(1).Duplicate, DuplicateKind::SameBytes);
  EXPECT_EQ(batch->at(1).Id, batch->at(0).Id);
  EXPECT_EQ(this->store_->Boards().Value(), (std::vector<BoardSize>{{"standard", 2}}));
  EXPECT_EQ(this->store_->FindDuplicate(ContentHash("other"), "other").Value(), std::nullopt);
}

TYPED_TEST(BoardStoreTest, TiesRankTheEarlierRunFirst) {
  // Stored in this order; the game's ranking places an equal score below the one it ties with.
  const std::pair<const char*, int32_t> stored[] = {{"A", 500}, {"B", 700}, {"C", 500},
                                                    {"D", 900}, {"E", 500}, {"F", -5}};
  std::map<std::string, int64_t> ranks;
  for (int i = 0; i < 6; ++i) {
    const auto inserted =
        this->store_->Insert(MakeRun("standard", stored[i].second, i, stored[i].first));
    ASSERT_TRUE(inserted);
    ranks[stored[i].first] = inserted->Rank;
  }
  this->Add(MakeRun("Level=5", 800, 10, "other board"));
  // The rank each had when it arrived.
  EXPECT_EQ(ranks, (std::map<std::string, int64_t>{
                       {"A", 1}, {"B", 1}, {"C", 3}, {"D", 1}, {"E", 5}, {"F", 6}}));
  const struct {
    int64_t offset;
    int limit;
    std::vector<std::string> names;
  } pages[] = {{0, 100, {"D", "B", "A", "C", "E", "F"}},
               {2, 2, {"A", "C"}},
               {3, 2, {"C", "E"}},
               {5, 10, {"F"}},
               {6, 10, {}},
               {0, 0, {}}};
  for (const auto& page : pages) {
    SCOPED_TRACE(page.offset);
    EXPECT_EQ(this->Names("standard", page.offset, page.limit), page.names);
  }
  EXPECT_EQ(this->store_->Page("standard", 0, 1)->Total, 6);
  EXPECT_EQ(this->store_->Page("nobody", 0, 10)->Total, 0);
  const std::pair<int32_t, int64_t> wouldGet[] = {{1000, 1}, {900, 2}, {701, 2}, {501, 3},
                                                  {500, 6},  {499, 6}, {-5, 7},  {INT32_MIN, 7}};
  for (const auto& [score, rank] : wouldGet)
    EXPECT_EQ(this->store_->RankFor("standard", score).Value(), rank) << score;
  EXPECT_EQ(this->store_->Boards().Value(),
            (std::vector<BoardSize>{{"Level=5", 1}, {"standard", 6}}));
}

TYPED_TEST(BoardStoreTest, PagesAndRanksAgreeWithASortAtEveryOffset) {
  // Scores across all four widths of the counting bands, with many ties, some runs removed.
  std::mt19937 random(34);
  const int32_t edges[] = {INT32_MIN, -1,     0,          255,        256,
                           65'535,    65'536, 16'777'215, 16'777'216, INT32_MAX};
  std::vector<NewRun> runs;
  for (int i = 0; i < 300; ++i) {
    const int32_t score = i % 3 == 0   ? edges[random() % 10]
                          : i % 3 == 1 ? static_cast<int32_t>(random() % 40) * 300
                                       : static_cast<int32_t>(random());
    runs.push_back(MakeRun("standard", score, i, "run " + std::to_string(i)));
  }
  const auto inserted = this->store_->InsertAll(runs);
  ASSERT_TRUE(inserted) << inserted.Error().Message;
  std::vector<std::pair<int32_t, int64_t>> expected;  // score, id
  std::map<int64_t, const NewRun*> byId;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (i % 7 == 3) {
      ASSERT_TRUE(this->store_->Remove(inserted->at(i).Id).Value());
      continue;
    }
    expected.emplace_back(runs[i].Score, inserted->at(i).Id);
    byId[inserted->at(i).Id] = &runs[i];
  }
  EXPECT_FALSE(this->store_->Remove(inserted->at(3).Id).Value());
  std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second < b.second;
  });
  for (int64_t offset = 0; offset < static_cast<int64_t>(expected.size()) + 2; offset += 37) {
    std::vector<std::string> want;
    for (int64_t i = offset; i < std::min<int64_t>(offset + 40, std::ssize(expected)); ++i) {
      want.push_back(byId[expected[i].second]->Name);
    }
    EXPECT_EQ(this->Names("standard", offset, 40), want) << offset;
  }
  for (std::size_t i = 0; i < expected.size(); i += 11) {
    const int32_t score = expected[i].first;
    const auto above = std::count_if(expected.begin(), expected.end(),
                                     [&](const auto& e) { return e.first >= score; });
    EXPECT_EQ(this->store_->RankFor("standard", score).Value(), above + 1) << score;
    EXPECT_EQ(this->store_->Find(expected[i].second).Value()->Rank, static_cast<int64_t>(i) + 1);
  }
  // A walk for verifying again sees every run once, oldest first, with its replay; a run removed
  // during the walk does not stop it.
  std::vector<int64_t> walked;
  const auto shown =
      this->store_->ForEachRun("standard", [&](const BoardRun& run, const std::string& replay) {
        walked.push_back(run.Id);
        const auto kept = byId.find(run.Id);
        if (kept == byId.end()) return false;
        EXPECT_EQ(replay, kept->second->Replay);
        if (walked.size() == 150) {
          EXPECT_TRUE(this->store_->Remove(run.Id).Value());
        }
        return true;
      });
  ASSERT_TRUE(shown) << shown.Error().Message;
  EXPECT_EQ(shown.Value(), std::ssize(expected));
  EXPECT_TRUE(std::is_sorted(walked.begin(), walked.end()));
  EXPECT_EQ(this->store_->ForEachRun("", [](const BoardRun&, const std::string&) { return false; })
                .Value(),
            1);
  EXPECT_EQ(this->store_->Page("standard", 0, 1)->Total, std::ssize(expected) - 1);
}

TYPED_TEST(BoardStoreTest, AnEmptyDatabaseIsLaidOutAndANewerOneRefused) {
  const std::string location = TypeParam::Fresh();
  const auto version = [&] {
    std::unique_ptr<SqlConnection> connection;
    if (location.starts_with("sqlite:"))
      connection = SqliteConnection::Open(location.substr(7));
    else
      connection = PostgresConnection::Open(location);
    return BoardSchemaVersionOf(*connection);
  };
  EXPECT_EQ(version(), 0);
  auto store = OpenStore(location);
  ASSERT_TRUE(store);
  EXPECT_EQ(version(), BoardSchemaVersion);
  ASSERT_TRUE(store->Insert(MakeRun("standard", 1, 1)));
  store.reset();
  store = OpenStore(location);  // opened again: nothing to do, nothing lost
  ASSERT_TRUE(store);
  EXPECT_EQ(store->Page("standard", 0, 10)->Total, 1);
  store.reset();
  TypeParam::Exec(location, "INSERT INTO schema_version (version, applied) VALUES (" +
                                std::to_string(BoardSchemaVersion + 1) + ", 0)");
  const auto newer = BoardStore::Open(location);
  ASSERT_FALSE(newer);
  EXPECT_EQ(newer.Error().Fault, StoreFault::SchemaTooNew);
  EXPECT_NE(newer.Error().Message.find("version " + std::to_string(BoardSchemaVersion + 1)),
            std::string::npos);
}

TYPED_TEST(BoardStoreTest, AFailingDatabaseAnswersAnErrorAndKeepsNothingHalfStored) {
  const int64_t kept = this->Add(MakeRun("standard", 100, 1));
  // The database gone (PostgreSQL stopped) or read-only (SQLite) between two submissions.
  TypeParam::TakeAway(this->location_, this->store_);
  ASSERT_TRUE(this->store_);
  const NewRun late = MakeRun("standard", 200, 2);
  const auto refused = this->store_->Insert(late);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.Error().Fault, StoreFault::Unavailable) << refused.Error().Message;
  EXPECT_FALSE(refused.Error().Message.empty());
  TypeParam::GiveBack(this->location_, this->store_);
  ASSERT_TRUE(this->store_);
  EXPECT_EQ(this->Names("standard", 0, 10), std::vector<std::string>{"KEVA"});
  EXPECT_EQ(this->store_->Find(kept).Value()->Score, 100);

  // A write that fails after the run's row went in, before its replay did.
  for (const std::string& sql : TypeParam::FailReplays()) TypeParam::Exec(this->location_, sql);
  const auto failed = this->store_->Insert(late);
  ASSERT_FALSE(failed);
  EXPECT_EQ(this->store_->FindDuplicate(ContentHash(late.Replay), late.StartInputKey).Value(),
            std::nullopt);
  EXPECT_EQ(this->store_->Page("standard", 0, 10)->Total, 1);
  EXPECT_EQ(this->store_->RankFor("standard", 150).Value(), 1);
  TypeParam::Exec(this->location_, TypeParam::StopFailingReplays);
  // Back in service: the same run is taken as new.
  EXPECT_EQ(this->store_->Insert(late)->Rank, 1);
  EXPECT_EQ(this->Names("standard", 0, 10), (std::vector<std::string>{"KEVA", "KEVA"}));
}

TYPED_TEST(BoardStoreTest, RequestsOutOfRangeAreRefused) {
  EXPECT_EQ(this->store_->Page("standard", 0, MaxPageRows + 1).Error().Fault, StoreFault::Invalid);
  EXPECT_EQ(this->store_->Page("standard", -1, 10).Error().Fault, StoreFault::Invalid);
  EXPECT_TRUE(this->store_->Page("standard", 0, MaxPageRows));
  EXPECT_EQ(this->store_->Insert(MakeRun("", 1, 1)).Error().Fault, StoreFault::Invalid);
  EXPECT_EQ(BoardStore::Open("mysql://localhost/board").Error().Fault, StoreFault::Invalid);
}

}  // namespace
}  // namespace pelaryn
