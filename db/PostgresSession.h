#pragma once
// What the layer asks of a PostgreSQL session through libpq itself, beyond what the Qt
// driver offers: the transaction state the server reports after every command, and the
// server's notices and warnings, which libpq would otherwise print on standard error.

#include <QSqlDatabase>

enum class TPostgresTransactionState { Idle, Active, InTransaction, InError, Unknown };

// The state of the session's transaction as the server last reported it; Unknown when the
// database is not an open PostgreSQL connection.
TPostgresTransactionState PostgresTransactionState(const QSqlDatabase& db);

// Sends the session's notices (NOTICE, WARNING, ... raised by statements and triggers) to
// the diagnostic log instead of the terminal. Called once the connection is open.
void RoutePostgresNotices(const QSqlDatabase& db);
