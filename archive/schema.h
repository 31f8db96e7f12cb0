#pragma once
// The database's schema and its forward migrations.
//
// The table schema_version holds one row: the version the database has. Each
// migration takes it one version further; a store opening an older database
// runs every missing one in a single transaction, so a database is always at
// one version or the next, never between. There are no backward migrations: a
// database of a newer version is refused.

#include "archive/dialect.h"

#include <QSqlDatabase>

namespace rida::archive {

// The version this program writes.
int currentSchemaVersion();

// The version of the database on `db`: 0 for an empty one. Throws ArchiveError
// (Failure::Damaged) for a database that holds tables but no version of ours.
int schemaVersion(QSqlDatabase& db, const Dialect& dialect);

// Takes the database from `from` (what schemaVersion said) to `to` in one
// transaction; throws ArchiveError and leaves the database as it was on failure.
void migrate(QSqlDatabase& db, const Dialect& dialect, int from, int to);

} // namespace rida::archive
