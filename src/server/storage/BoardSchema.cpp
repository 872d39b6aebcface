#include "server/storage/BoardSchema.h"

#include <string>
#include <string_view>
#include <vector>

namespace pelaryn {

namespace {

// One text for both databases; the few words they spell differently are named in braces.
//   {serial}  a run's number: given in order, never given again after its run is removed
//   {key}     a whole-number primary key
//   {bytes}   bytes, as opposed to text
// Times are Unix seconds in BIGINT on both, so that both answer the same numbers.
const std::vector<std::vector<std::string_view>> Steps = {
    // Version 1.
    {
        R"(CREATE TABLE runs (
             id {serial},
             board TEXT NOT NULL,
             name TEXT NOT NULL,
             score INTEGER NOT NULL,
             combo INTEGER NOT NULL,
             ratio INTEGER NOT NULL,
             level INTEGER NOT NULL,
             frames BIGINT NOT NULL,
             played BIGINT NOT NULL,
             submitted BIGINT NOT NULL,
             content_hash TEXT NOT NULL UNIQUE,
             start_input_key TEXT NOT NULL UNIQUE,
             fingerprint TEXT NOT NULL))",
        // A board's page, best first and the earlier run first among equal scores, walks this
        // index from the score the bands name; the rank of a stored run counts its equals here.
        "CREATE INDEX runs_by_rank ON runs (board, score DESC, id)",
        // The replay's bytes in a table of their own keep the rows of runs small, so that pages
        // and counts read few database pages.
        R"(CREATE TABLE replays (
             run_id {key} REFERENCES runs (id) ON DELETE CASCADE,
             bytes {bytes} NOT NULL))",
        "CREATE TABLE boards (board TEXT PRIMARY KEY, runs BIGINT NOT NULL)",
        // See ScoreBands.h.
        R"(CREATE TABLE score_bands (
             board TEXT NOT NULL,
             level INTEGER NOT NULL,
             band BIGINT NOT NULL,
             runs BIGINT NOT NULL,
             PRIMARY KEY (board, level, band)))",
    },
};

std::string Spelled(std::string_view text, SqlDialect dialect) {
  const bool sqlite = dialect == SqlDialect::Sqlite;
  const std::pair<std::string_view, std::string_view> words[] = {
      {"{serial}", sqlite ? "INTEGER PRIMARY KEY AUTOINCREMENT"
                          : "BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY"},
      {"{key}", sqlite ? "INTEGER PRIMARY KEY" : "BIGINT PRIMARY KEY"},
      {"{bytes}", sqlite ? "BLOB" : "BYTEA"},
  };
  std::string out(text);
  for (const auto& [word, spelling] : words) {
    for (std::size_t at = out.find(word); at != std::string::npos; at = out.find(word, at)) {
      out.replace(at, word.size(), spelling);
      at += spelling.size();
    }
  }
  return out;
}

int VersionIn(SqlTransaction& transaction, SqlDialect dialect) {
  const char* hasTable =
      dialect == SqlDialect::Sqlite
          ? "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'schema_version'"
          : "SELECT count(*) FROM pg_catalog.pg_tables "
            "WHERE schemaname = current_schema() AND tablename = 'schema_version'";
  if (SqlInt(transaction.Query(hasTable).at(0).at(0)) == 0) return 0;
  return static_cast<int>(SqlInt(
      transaction.Query("SELECT COALESCE(MAX(version), 0) FROM schema_version").at(0).at(0)));
}

}  // namespace

int BoardSchemaVersionOf(SqlConnection& connection) {
  int version = 0;
  connection.Transact(SqlAccess::Read, [&](SqlTransaction& transaction) {
    version = VersionIn(transaction, connection.Dialect());
  });
  return version;
}

int MigrateBoardSchema(SqlConnection& connection) {
  // A database that is up to date is only read, so that one the program may not write can
  // still be opened for reading.
  const int found = BoardSchemaVersionOf(connection);
  if (found >= BoardSchemaVersion) return found;
  int before = found;
  connection.Transact(SqlAccess::Write, [&](SqlTransaction& transaction) {
    const SqlDialect dialect = connection.Dialect();
    if (dialect == SqlDialect::Postgres) {
      // Held to the end of the transaction; another program migrating waits here, then finds
      // the work done. (SQLite's BEGIN IMMEDIATE already lets one writer in at a time.)
      transaction.Query("SELECT pg_advisory_xact_lock(2026120734)");
    }
    before = VersionIn(transaction, dialect);
    if (before >= BoardSchemaVersion) return;
    if (before == 0) {
      transaction.Query(
          "CREATE TABLE schema_version (version INTEGER PRIMARY KEY, applied BIGINT NOT NULL)");
    }
    for (int version = before + 1; version <= BoardSchemaVersion; ++version) {
      for (const std::string_view statement : Steps[static_cast<std::size_t>(version - 1)]) {
        transaction.Query(Spelled(statement, dialect));
      }
      const char* note = dialect == SqlDialect::Sqlite
                             ? "INSERT INTO schema_version (version, applied) "
                               "VALUES ($1, CAST(strftime('%s', 'now') AS INTEGER))"
                             : "INSERT INTO schema_version (version, applied) "
                               "VALUES ($1, CAST(extract(epoch FROM now()) AS BIGINT))";
      transaction.Query(note, {int64_t{version}});
    }
  });
  return before;
}

}  // namespace pelaryn
