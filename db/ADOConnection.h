#pragma once
// One database connection, opened from an OLE DB connection string.
//
//   Provider contains SQLOLEDB / SQLNCLI / MSOLEDBSQL -> QODBC through the SQL Server ODBC
//                                                        driver (FreeTDS by default)
//   Provider contains PostgreSQL                      -> QPSQL
//   Provider=SQLite                                   -> QSQLITE (Location, else Data Source)
//
// Every failure raises EDatabaseError carrying the driver's own text. Statements are run
// through Run(), which fetches the whole result to the client; TADOQuery builds on it.
//
// The connection string is parsed by the OLE DB rules (ConnectionString.h); a string
// without a Provider pair means SQL Server. SQLite never creates a missing file: opening
// one raises "Файл базы данных SQLite \"<path>\" не найден" (an empty file is an empty
// database). Every SQLite connection has newid(), the collation UNICODE_CI and foreign
// keys switched on. CommandTimeout (0: no limit) applies per statement: SQLite interrupts a
// statement past it ("Превышено время выполнения команды (N с)"), PostgreSQL sets
// statement_timeout, SQL Server sets FreeTDS's Timeout at opening and the ODBC query
// timeout on statements with parameters.
//
// A statement that waited the command timeout for a lock another connection holds raises
// EDatabaseInUse (DatabaseInUse.h); from then on the connection no longer waits for locks
// (LockWait.h says why) until ResumeLockWaits.

#include "db/FieldType.h"

#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>

class TDialect;

// The part a connection plays in an import. A backend may realise the import's temporary
// schema changes by it (SqliteGuidColumns.h); a connection without a role gets them as
// they are written.
enum class TConnectionRole { None, Source, Destination };

struct TColumnInfo {
    QString Name;
    TFieldType DataType = TFieldType::ftUnknown;
};

// The whole result of one statement, fetched to the client.
struct TRowSet {
    QVector<TColumnInfo> Columns;
    QVector<QVector<QVariant>> Rows;
    int RowsAffected = -1;
};

// A named parameter as the statement text holds it (":Name", without the colon here).
struct TBoundParam {
    QString Name;
    TFieldType DataType = TFieldType::ftUnknown;
    QVariant Value;  // a null QVariant is SQL NULL
};

class TADOConnection {
public:
    TADOConnection();
    virtual ~TADOConnection();
    TADOConnection(const TADOConnection&) = delete;
    TADOConnection& operator=(const TADOConnection&) = delete;

    QString ConnectionString;
    int CommandTimeout = 30;   // seconds allowed to each statement
    bool LoginPrompt = false;  // the layer never asks for credentials itself
    TConnectionRole Role = TConnectionRole::None;

    // Opening an open connection changes nothing; closing a closed one is harmless.
    virtual void Open();
    virtual void Close();
    virtual bool Connected() const;

    // The statements and schema operations of this connection's backend, chosen by the
    // provider of ConnectionString. Raises EDatabaseError for an unsupported provider.
    virtual const TDialect& Dialect() const;

    // Whether the server reports that no transaction is open: true only where the backend
    // tells (PostgreSQL, which also ends a transaction whose COMMIT it refused); false when
    // one is open or the backend cannot say.
    virtual bool NoTransactionOpen() const;

    // Runs one statement text (which may hold several commands where the backend allows)
    // with its named parameters. wantRows: the statement returns rows, fetch them all.
    // See StatementRun.h for texts of several statements and statements without rows.
    virtual TRowSet Run(const QString& sql, const QVector<TBoundParam>& params, bool wantRows);

    // Whether a statement found the database locked by another connection since the
    // connection was opened or ResumeLockWaits was called.
    virtual bool FoundInUse() const;
    // Statements wait for locks again, up to the command timeout.
    virtual void ResumeLockWaits();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
