#include "server/storage/SqlConnection.h"

namespace pelaryn {

int64_t SqlInt(const SqlValue& value) {
  if (const auto* number = std::get_if<int64_t>(&value)) return *number;
  throw SqlFailure(SqlFailureKind::Failed,
                   "the database answered a whole number with another type");
}

const std::string& SqlText(const SqlValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  throw SqlFailure(SqlFailureKind::Failed, "the database answered a text with another type");
}

}  // namespace pelaryn
