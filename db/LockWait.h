#pragma once
// How long a statement waits for a lock that another connection holds, per backend, and how
// the backend tells that such a wait ran out.
//
// SQLite waits in its busy handler (sqlite3_busy_timeout) and then fails with SQLITE_BUSY or
// SQLITE_LOCKED. PostgreSQL waits lock_timeout and fails with SQLSTATE 55P03; lock_timeout is
// set a little under statement_timeout (both are the command timeout), because when both
// are equal the statement timeout fires first and a wait for a lock could not be told from a
// slow statement. SQL Server's waits end in the query timeout and are not told apart.
//
// Once a connection has found its database in use, it stops waiting: every further statement
// either runs at once or fails at once, so that a run does not wait the whole timeout again
// for each statement of its clean-up.

#include "db/Dialect.h"

class QSqlDatabase;
class QSqlError;

// True when the error is a lock wait that ran out.
bool IsLockWaitExhausted(TBackendKind kind, const QSqlError& error);

// Sets the session's lock wait: the command timeout's (0: no limit), or none at all when
// waitForLocks is false. Raises EDatabaseError.
void ApplyLockWait(const QSqlDatabase& db, TBackendKind kind, int commandTimeout, bool waitForLocks);

// The PostgreSQL lock_timeout in milliseconds for a command timeout in seconds (0: no limit).
long long PostgresLockTimeoutMs(int commandTimeout);
