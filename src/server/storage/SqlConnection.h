#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pelaryn {

// The little the board needs of a SQL database, so that one piece of code runs the same
// statements on SQLite and on PostgreSQL. Statements number their parameters $1, $2, … in the
// PostgreSQL way; every value reaches the database as a parameter, never inside the text.

enum class SqlDialect { Sqlite, Postgres };

// Bytes for a binary column (BLOB, BYTEA), as opposed to text.
struct SqlBytes {
  std::string_view Bytes;
};
using SqlParam = std::variant<int64_t, std::string_view, SqlBytes>;

// A column's value: NULL, a whole number, or text/bytes.
using SqlValue = std::variant<std::monostate, int64_t, std::string>;
using SqlRow = std::vector<SqlValue>;
using SqlRows = std::vector<SqlRow>;

// What went wrong, in the terms the board answers with.
enum class SqlFailureKind {
  Unavailable,      // connection lost, server stopping, file read-only, disk full, busy too long
  UniqueViolation,  // a row with the same unique key is there already
  Failed,           // anything else
};

class SqlFailure : public std::runtime_error {
 public:
  SqlFailure(SqlFailureKind kind, const std::string& message)
      : std::runtime_error(message), kind_(kind) {}
  SqlFailureKind Kind() const { return kind_; }

 private:
  SqlFailureKind kind_;
};

class SqlTransaction {
 public:
  virtual ~SqlTransaction() = default;
  // Runs one statement and returns its rows; throws SqlFailure.
  virtual SqlRows Query(std::string_view sql, std::initializer_list<SqlParam> params = {}) = 0;
};

enum class SqlAccess {
  Read,   // one consistent view of the data for every statement in it
  Write,  // takes the right to write at its start, so that it never fails half-way for a lock
};

class SqlConnection {
 public:
  virtual ~SqlConnection() = default;
  virtual SqlDialect Dialect() const = 0;
  // Runs `work` in one transaction: committed when it returns, rolled back when it throws (the
  // exception goes on, as a SqlFailure when it came from the database). A lost connection is
  // made again at the next transaction.
  virtual void Transact(SqlAccess access, const std::function<void(SqlTransaction&)>& work) = 0;
};

// The whole number in `value`; throws SqlFailure when it holds none.
int64_t SqlInt(const SqlValue& value);
// The text or bytes in `value`; throws SqlFailure when it holds none.
const std::string& SqlText(const SqlValue& value);

}  // namespace pelaryn
