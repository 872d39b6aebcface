#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "server/storage/SqlConnection.h"

struct sqlite3;
struct sqlite3_stmt;

namespace pelaryn {

// One connection to a SQLite database file, in WAL mode so that readers never wait for the
// writer; a writer waits for another one up to a few seconds before giving up as busy.
class SqliteConnection : public SqlConnection {
 public:
  // Opens the file at `path`, made when missing; throws SqlFailure. A file the process may not
  // write is opened for reading: writing then fails as Unavailable.
  static std::unique_ptr<SqliteConnection> Open(const std::string& path);
  ~SqliteConnection() override;
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  SqlDialect Dialect() const override { return SqlDialect::Sqlite; }
  void Transact(SqlAccess access, const std::function<void(SqlTransaction&)>& work) override;

 private:
  class Transaction;
  explicit SqliteConnection(sqlite3* db, std::string path);
  [[noreturn]] void Fail(int code, std::string_view doing) const;
  void Execute(const char* sql);
  sqlite3_stmt* Prepared(std::string_view sql);

  sqlite3* db_;
  std::string path_;
  // Statements are prepared once and kept, as the same few run again and again.
  std::unordered_map<std::string, sqlite3_stmt*> statements_;
};

}  // namespace pelaryn
