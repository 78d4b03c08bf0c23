#pragma once
// What the layer asks of libpq, the client library that Qt's QPSQL driver loads, beyond
// what the driver offers: the transaction state the server reports after every command, and
// the server's notices and warnings, which libpq would otherwise print on standard error.
// Its functions are looked up at run time, so that the layer needs neither libpq's headers
// nor a link of its own.

#include <QSqlDatabase>

// The function, or null when libpq is not loaded (no PostgreSQL connection was opened).
void* LibpqFunction(const char* name);

enum class TPostgresTransactionState { Idle, Active, InTransaction, InError, Unknown };

// The state of the session's transaction as the server last reported it; Unknown when the
// database is not an open PostgreSQL connection.
TPostgresTransactionState PostgresTransactionState(const QSqlDatabase& db);

// Sends the session's notices (NOTICE, WARNING, ... raised by statements and triggers) to
// the diagnostic log instead of the terminal. Called once the connection is open.
void RoutePostgresNotices(const QSqlDatabase& db);
