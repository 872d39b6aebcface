#include "server/storage/PostgresConnection.h"

#include <charconv>
#include <pqxx/pqxx>

namespace pelaryn {

namespace {

// PostgreSQL's type numbers (pg_type.oid) of the columns the board reads.
constexpr pqxx::oid BoolType = 16;
constexpr pqxx::oid ByteaType = 17;
constexpr pqxx::oid Int8Type = 20;
constexpr pqxx::oid Int2Type = 21;
constexpr pqxx::oid Int4Type = 23;
constexpr pqxx::oid NumericType = 1700;

std::string WithConnectTimeout(const std::string& url) {
  if (url.find("connect_timeout") != std::string::npos) return url;
  if (url.starts_with("postgresql://") || url.starts_with("postgres://")) {
    return url + (url.find('?') == std::string::npos ? "?" : "&") + "connect_timeout=10";
  }
  return url + " connect_timeout=10";
}

// Errors of these classes pass: the connection (08), the server stopping or cancelling (57),
// resources (53), a conflict between transactions (40), a lock not had (55P03), a server that only
// reads (25006, a standby).
bool PassingState(const std::string& state) {
  return state.starts_with("08") || state.starts_with("57") || state.starts_with("53") ||
         state.starts_with("40") || state == "55P03" || state == "25006";
}

SqlValue ColumnValue(const pqxx::field& field) {
  if (field.is_null()) return std::monostate{};
  switch (field.type()) {
    case BoolType:
      return int64_t{field.c_str()[0] == 't'};
    case ByteaType:
      return pqxx::binarystring(field).str();
    case Int2Type:
    case Int4Type:
    case Int8Type:
    case NumericType: {
      int64_t number = 0;
      const char* text = field.c_str();
      const auto [end, error] = std::from_chars(text, text + field.size(), number);
      if (error != std::errc() || end != text + field.size()) {
        throw SqlFailure(SqlFailureKind::Failed, "PostgreSQL answered a number out of range");
      }
      return number;
    }
    default:
      return std::string(field.c_str(), field.size());
  }
}

// Every value goes as text; PostgreSQL reads bytes in the \x hexadecimal form.
std::string ParamText(const SqlParam& param) {
  if (const auto* number = std::get_if<int64_t>(&param)) return std::to_string(*number);
  if (const auto* text = std::get_if<std::string_view>(&param)) return std::string(*text);
  static constexpr char Digits[] = "0123456789abcdef";
  const std::string_view bytes = std::get<SqlBytes>(param).Bytes;
  std::string hex = "\\x";
  hex.reserve(2 + 2 * bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    hex += Digits[byte >> 4];
    hex += Digits[byte & 15];
  }
  return hex;
}

}  // namespace

struct PostgresConnection::Live : pqxx::connection {
  using pqxx::connection::connection;
};

class PostgresConnection::Transaction : public SqlTransaction {
 public:
  Transaction(PostgresConnection& connection, pqxx::transaction_base& transaction)
      : connection_(connection), transaction_(transaction) {}

  SqlRows Query(std::string_view sql, std::initializer_list<SqlParam> params) override {
    const std::string& name = connection_.Prepared(sql);
    std::vector<std::string> texts;
    texts.reserve(params.size());
    for (const SqlParam& param : params) texts.push_back(ParamText(param));
    const pqxx::result result =
        transaction_.exec_prepared(name, pqxx::prepare::make_dynamic_params(texts));
    SqlRows rows;
    rows.reserve(result.size());
    for (const pqxx::row& row : result) {
      SqlRow& out = rows.emplace_back();
      out.reserve(row.size());
      for (const pqxx::field& field : row) out.push_back(ColumnValue(field));
    }
    return rows;
  }

 private:
  PostgresConnection& connection_;
  pqxx::transaction_base& transaction_;
};

std::unique_ptr<PostgresConnection> PostgresConnection::Open(const std::string& url) {
  std::unique_ptr<PostgresConnection> connection(new PostgresConnection(WithConnectTimeout(url)));
  connection->Connect();
  return connection;
}

PostgresConnection::PostgresConnection(std::string url) : url_(std::move(url)) {}

PostgresConnection::~PostgresConnection() = default;

void PostgresConnection::Connect() {
  if (connection_) {
    // Reads what the server sent since the last transaction: a server that stopped or dropped us
    // has said so, and we connect anew rather than fail the next transaction on a dead
    // connection (where libpqxx 6.4 also loses a result's memory).
    try {
      connection_->get_notifs();
    } catch (const std::exception&) {
      connection_.reset();
    }
    if (connection_ && connection_->is_open()) return;
  }
  connection_.reset();
  statements_.clear();
  try {
    connection_ = std::make_unique<Live>(url_);
  } catch (const std::exception& e) {
    // libpq's message names the host and the reason, never the password.
    throw SqlFailure(SqlFailureKind::Unavailable,
                     std::string("cannot connect to PostgreSQL: ") + e.what());
  }
}

const std::string& PostgresConnection::Prepared(std::string_view sql) {
  std::string key(sql);
  if (const auto found = statements_.find(key); found != statements_.end()) return found->second;
  std::string name = "s" + std::to_string(statements_.size());
  connection_->prepare(name, key);
  return statements_.emplace(std::move(key), std::move(name)).first->second;
}

void PostgresConnection::Transact(SqlAccess access,
                                  const std::function<void(SqlTransaction&)>& work) {
  Connect();
  try {
    if (access == SqlAccess::Read) {
      pqxx::transaction<pqxx::repeatable_read, pqxx::read_only> transaction(*connection_);
      Transaction session(*this, transaction);
      work(session);
      transaction.commit();
    } else {
      pqxx::work transaction(*connection_);
      Transaction session(*this, transaction);
      work(session);
      transaction.commit();
    }
  } catch (const SqlFailure&) {
    throw;
  } catch (const pqxx::in_doubt_error& e) {
    connection_.reset();
    throw SqlFailure(SqlFailureKind::Unavailable,
                     std::string("PostgreSQL went away while committing; the change may or may "
                                 "not have been kept: ") +
                         e.what());
  } catch (const pqxx::broken_connection& e) {
    connection_.reset();
    throw SqlFailure(SqlFailureKind::Unavailable,
                     std::string("the connection to PostgreSQL was lost: ") + e.what());
  } catch (const pqxx::unique_violation& e) {
    throw SqlFailure(SqlFailureKind::UniqueViolation, e.what());
  } catch (const pqxx::sql_error& e) {
    const bool passing = PassingState(e.sqlstate());
    if (!connection_->is_open() || e.sqlstate().starts_with("57")) connection_.reset();
    throw SqlFailure(passing ? SqlFailureKind::Unavailable : SqlFailureKind::Failed,
                     std::string("PostgreSQL: ") + e.what());
  } catch (const pqxx::failure& e) {
    const bool lost = !connection_->is_open();
    if (lost) connection_.reset();
    throw SqlFailure(lost ? SqlFailureKind::Unavailable : SqlFailureKind::Failed,
                     std::string("PostgreSQL: ") + e.what());
  }
}

}  // namespace pelaryn
