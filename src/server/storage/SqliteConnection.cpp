#include "server/storage/SqliteConnection.h"

#include <sqlite3.h>

#include <cctype>

namespace pelaryn {

namespace {

// How long a writer waits for another writer before the database counts as busy.
constexpr int BusyTimeoutMs = 5000;

SqlFailureKind FailureKind(int code) {
  if (code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY) {
    return SqlFailureKind::UniqueViolation;
  }
  switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_READONLY:
    case SQLITE_IOERR:
    case SQLITE_FULL:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_NOMEM:
    case SQLITE_PROTOCOL:
      return SqlFailureKind::Unavailable;
    default:
      return SqlFailureKind::Failed;
  }
}

// SQLite numbers its parameters ?1, ?2, …; the board's statements are written with $1, $2, ….
std::string SqliteParameters(std::string_view sql) {
  std::string out(sql);
  for (std::size_t i = 0; i + 1 < out.size(); ++i) {
    if (out[i] == '$' && std::isdigit(static_cast<unsigned char>(out[i + 1]))) out[i] = '?';
  }
  return out;
}

}  // namespace

class SqliteConnection::Transaction : public SqlTransaction {
 public:
  explicit Transaction(SqliteConnection& connection) : connection_(connection) {}

  SqlRows Query(std::string_view sql, std::initializer_list<SqlParam> params) override {
    sqlite3_stmt* statement = connection_.Prepared(sql);
    // Leaves the statement ready for its next use whatever happens here.
    struct Reset {
      sqlite3_stmt* statement;
      ~Reset() {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
      }
    } reset{statement};
    if (sqlite3_bind_parameter_count(statement) != static_cast<int>(params.size())) {
      throw SqlFailure(SqlFailureKind::Failed, "a statement was given the wrong number of values");
    }
    int index = 1;
    for (const SqlParam& param : params) {
      int code = SQLITE_OK;
      if (const auto* number = std::get_if<int64_t>(&param)) {
        code = sqlite3_bind_int64(statement, index, *number);
      } else if (const auto* text = std::get_if<std::string_view>(&param)) {
        // An empty view may have no address, which SQLite would store as NULL.
        code = sqlite3_bind_text64(statement, index, text->empty() ? "" : text->data(),
                                   text->size(), SQLITE_STATIC, SQLITE_UTF8);
      } else {
        const std::string_view bytes = std::get<SqlBytes>(param).Bytes;
        code = bytes.empty() ? sqlite3_bind_zeroblob(statement, index, 0)
                             : sqlite3_bind_blob64(statement, index, bytes.data(), bytes.size(),
                                                   SQLITE_STATIC);
      }
      if (code != SQLITE_OK) connection_.Fail(code, "binding a value");
      ++index;
    }
    SqlRows rows;
    for (;;) {
      const int code = sqlite3_step(statement);
      if (code == SQLITE_DONE) break;
      if (code != SQLITE_ROW)
        connection_.Fail(sqlite3_extended_errcode(connection_.db_), "running a statement");
      SqlRow& row = rows.emplace_back();
      const int columns = sqlite3_column_count(statement);
      row.reserve(static_cast<std::size_t>(columns));
      for (int c = 0; c < columns; ++c) {
        switch (sqlite3_column_type(statement, c)) {
          case SQLITE_INTEGER:
            row.emplace_back(static_cast<int64_t>(sqlite3_column_int64(statement, c)));
            break;
          case SQLITE_NULL:
            row.emplace_back(std::monostate{});
            break;
          default: {
            // The pointer first, then the size, as SQLite's documentation asks.
            const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, c));
            const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement, c));
            row.emplace_back(data ? std::string(data, size) : std::string());
          }
        }
      }
    }
    return rows;
  }

 private:
  SqliteConnection& connection_;
};

std::unique_ptr<SqliteConnection> SqliteConnection::Open(const std::string& path) {
  sqlite3* db = nullptr;
  const int code =
      sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (code != SQLITE_OK) {
    const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    sqlite3_close(db);
    throw SqlFailure(FailureKind(code),
                     "cannot open the board's database " + path + ": " + message);
  }
  std::unique_ptr<SqliteConnection> connection(new SqliteConnection(db, path));
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, BusyTimeoutMs);
  connection->Execute("PRAGMA foreign_keys = ON");
  // A file already in WAL mode stays so when it can only be read; one that is not and cannot be
  // written stays in its own mode, and only writing fails.
  connection->Execute("PRAGMA journal_mode = WAL");
  // A run the service has answered as stored survives a power cut.
  connection->Execute("PRAGMA synchronous = FULL");
  return connection;
}

SqliteConnection::SqliteConnection(sqlite3* db, std::string path)
    : db_(db), path_(std::move(path)) {}

SqliteConnection::~SqliteConnection() {
  for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
  sqlite3_close(db_);
}

void SqliteConnection::Fail(int code, std::string_view doing) const {
  throw SqlFailure(FailureKind(code),
                   "SQLite " + path_ + ", " + std::string(doing) + ": " + sqlite3_errmsg(db_));
}

void SqliteConnection::Execute(const char* sql) {
  const int code = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  if (code != SQLITE_OK) Fail(sqlite3_extended_errcode(db_), sql);
}

sqlite3_stmt* SqliteConnection::Prepared(std::string_view sql) {
  std::string key(sql);
  if (const auto found = statements_.find(key); found != statements_.end()) return found->second;
  const std::string text = SqliteParameters(sql);
  sqlite3_stmt* statement = nullptr;
  const int code = sqlite3_prepare_v3(db_, text.c_str(), static_cast<int>(text.size()),
                                      SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
  if (code != SQLITE_OK) Fail(sqlite3_extended_errcode(db_), "preparing a statement");
  statements_.emplace(std::move(key), statement);
  return statement;
}

void SqliteConnection::Transact(SqlAccess access,
                                const std::function<void(SqlTransaction&)>& work) {
  // A writer takes the write lock at once: a transaction that first reads and later wants to
  // write could otherwise fail half-way when another writer came in between.
  Execute(access == SqlAccess::Write ? "BEGIN IMMEDIATE" : "BEGIN");
  try {
    Transaction transaction(*this);
    work(transaction);
    Execute("COMMIT");
  } catch (...) {
    // A failed COMMIT may leave the transaction open; a failed statement may have ended it.
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

}  // namespace pelaryn
