#pragma once
// Opening one backend's QSqlDatabase from the OLE DB parameters. Each function adds the
// database under the given connection name, opens it and returns it; on failure it removes
// the name again and raises EDatabaseError carrying the driver's own text.

#include "db/ConnectionString.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

struct TSqliteStatementClock;

// The driver's own text of an error: its database text, or Qt's text when that is empty.
QString DriverText(const QSqlError& error);

// SQLite: the file is Location, or Data Source when Location is absent. A file that does
// not exist is never created: "Файл базы данных SQLite \"path\" не найден". An empty file
// is a valid empty database.
QSqlDatabase OpenSqliteDatabase(const QString& name, const TConnectionParams& params,
                                TSqliteStatementClock* clock, int commandTimeout);

// SQL Server through QODBC (see OdbcConnection.h for the mapping).
QSqlDatabase OpenMssqlDatabase(const QString& name, const TConnectionParams& params, int commandTimeout);

// PostgreSQL through QPSQL: Data Source -> host[:port], Location -> database (Initial
// Catalog when Location is absent), User ID / Password unless Integrated Security. The
// server's notices go to the diagnostic log.
QSqlDatabase OpenPostgresDatabase(const QString& name, const TConnectionParams& params);

// The command timeout of a PostgreSQL session: SET statement_timeout (0: no limit).
void SetPostgresStatementTimeout(const QSqlDatabase& db, int seconds);
