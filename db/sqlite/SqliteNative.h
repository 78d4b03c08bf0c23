#pragma once
// What the SQLite backend does through the native sqlite3 handle that Qt's QSQLITE driver
// exposes: the functions and the collation that the SQL Server dialect relies on, the
// command timeout, the declared types of result columns, and splitting a text of several
// statements (QSQLITE prepares one statement at a time).

#include "db/RowSet.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <chrono>

class QSqlDatabase;
struct sqlite3;
struct sqlite3_stmt;

// The deadline of the statement that runs on a connection. The progress handler interrupts
// the statement once the deadline has passed and notes that it did.
struct TSqliteStatementClock {
    bool Armed = false;
    bool Fired = false;
    std::chrono::steady_clock::time_point Deadline;

    // timeoutSeconds <= 0: no limit.
    void Start(int timeoutSeconds);
    void Stop() { Armed = false; }
};

// Registers newid() (a fresh GUID text, 8-4-4-4-12, upper case, as SQL Server shows it)
// and the collation UNICODE_CI (letter case ignored, Cyrillic included), switches foreign
// keys on, sets the busy timeout and installs the progress handler that reads clock; a
// file that is no SQLite database is refused here. The clock must outlive the connection.
// Raises EDatabaseError.
void PrepareSqliteConnection(const QSqlDatabase& db, TSqliteStatementClock* clock, int busyTimeoutMs);

// The native handle behind an open QSQLITE database; nullptr when the driver gives none.
sqlite3* SqliteNativeHandle(const QSqlDatabase& db);

// The file as an SQLite URI that opens it for reading and writing but never creates it.
QString SqliteUriOfExistingFile(const QString& path);

// The result columns of a native statement: names as SQLite reports them, types from their
// declared types (ftUnknown for an expression column).
QVector<TColumnInfo> SqliteStatementColumns(sqlite3_stmt* statement);

// Rows changed by the statement that just ran, given the connection's total of changed
// rows from before it: Qt reports SQLite's count of the last INSERT, UPDATE or DELETE,
// which a later DDL or transaction statement leaves standing.
qint64 SqliteTotalChanges(const QSqlDatabase& db);
int SqliteRowsAffected(const QSqlDatabase& db, qint64 totalChangesBefore);

// Whether a transaction is open on the connection (it is not in autocommit).
bool SqliteInTransaction(const QSqlDatabase& db);

// The statements of a text, each with its closing ";", in order; texts holding nothing
// but blanks, comments and ";" are left out. A trigger body's inner ";" does not split.
QStringList SplitSqliteStatements(const QString& sql);
