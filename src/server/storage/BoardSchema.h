#pragma once

#include "server/storage/SqlConnection.h"

namespace pelaryn {

// The layout of the board's database, the same tables, columns and indexes on SQLite and
// PostgreSQL, and the steps that bring an older layout up to date. Each step is one version.
inline constexpr int BoardSchemaVersion = 1;

// The version the database is laid out in: 0 for an empty one.
int BoardSchemaVersionOf(SqlConnection& connection);

// Brings the database up to BoardSchemaVersion, all steps in one transaction (two programs
// starting at once on one PostgreSQL database take turns), and returns the version it found. A
// database of a newer version is left as it is: the caller refuses it. Throws SqlFailure.
int MigrateBoardSchema(SqlConnection& connection);

}  // namespace pelaryn
