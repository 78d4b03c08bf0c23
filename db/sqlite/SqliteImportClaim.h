#pragma once
// The import claim of an SQLite database: a lock on the file "<database file>.import-lock"
// beside the database, which every process sees (flock; on Windows the file opened for no
// one else) and which the system drops with the process that holds it; removed when the
// claim is released.

#include "db/ImportClaim.h"

#include <QString>
#include <memory>

// Claims the database file (its full path); raises EDatabaseClaimed when another import
// holds it, EDatabaseError when the lock file cannot be made.
std::unique_ptr<TImportClaimHold> TakeSqliteImportClaim(const QString& databaseFile);
