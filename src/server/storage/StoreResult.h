#pragma once

#include <string>
#include <utility>
#include <variant>

namespace pelaryn {

// Why the board's storage could not do what it was asked. Each kind maps onto one answer of the
// service: Unavailable is a 503 (try again later), Invalid a 400, Failed a 500; SchemaTooNew
// stops the program at start.
enum class StoreFault {
  Unavailable,   // the database cannot be reached or written just now (stopped, read-only, busy)
  SchemaTooNew,  // the database was laid out by a newer program than this one
  Invalid,       // the request itself is out of range (an empty board, a page over the limit)
  Failed,        // anything else the database refused; asking again will not help
};

struct StoreError {
  StoreFault Fault = StoreFault::Failed;
  std::string Message;
};

// A value, or the reason there is none. Nothing in the storage throws past its interface.
template <typename T>
class StoreResult {
 public:
  StoreResult(T value) : value_(std::move(value)) {}
  StoreResult(StoreError error) : value_(std::move(error)) {}

  bool Ok() const { return value_.index() == 0; }
  explicit operator bool() const { return Ok(); }
  T& Value() { return std::get<0>(value_); }
  const T& Value() const { return std::get<0>(value_); }
  T* operator->() { return &Value(); }
  const T* operator->() const { return &Value(); }
  const StoreError& Error() const { return std::get<1>(value_); }

 private:
  std::variant<T, StoreError> value_;
};

}  // namespace pelaryn
