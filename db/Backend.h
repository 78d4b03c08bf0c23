#pragma once
// One database backend behind the generic layer: how its connections open and run
// statements, which statements ask its catalogue and change its schema (its dialect), how an
// import claims one of its databases, and how messages and the data-link dialog name it.
// Each backend lives in a folder of its own (db/sqlite/, db/postgres/, db/mssql/);
// db/BackendRegistry.h finds the one a connection string's provider names.

#include "db/ConnectionString.h"
#include "db/DbError.h"
#include "db/RowCursor.h"
#include "db/RowSet.h"

#include <QString>
#include <memory>

class TDialect;
class TImportClaimHold;
class TStatementRunner;

// An open connection of a backend: what TADOConnection asks of it while it is open.
// Closing is destroying it.
class TBackendSession {
public:
    virtual ~TBackendSession() = default;

    // Runs one statement text (several where the backend allows) with its named parameters;
    // wantRows: the statement returns rows, fetch them all. Raises EDatabaseError with the
    // driver's text, EDatabaseInUse for a wait for another connection's lock that ran out.
    virtual TRowSet Run(const QString& sql, const QVector<TBoundParam>& params, bool wantRows) = 0;

    // The rows of a statement, read as they are used (RowCursor.h). Default: the whole result
    // fetched by Run and then handed out row by row.
    virtual std::unique_ptr<TRowCursor> OpenCursor(const QString& sql, const QVector<TBoundParam>& params) {
        return std::make_unique<TRowSetCursor>(Run(sql, params, true));
    }

    // The seconds each statement may take from the next one on (0: no limit).
    virtual void SetCommandTimeout(int seconds) = 0;

    // Whether statements wait for a lock that another connection holds, up to the command
    // timeout, or fail at once. Raises EDatabaseError.
    virtual void SetLockWait(bool waitForLocks) = 0;

    // Whether the server reports that no transaction is open: true only where the backend
    // tells; false when one is open or the backend cannot say.
    virtual bool NoTransactionOpen() const { return false; }

    // Whether the transaction that was open still stands (asked after a statement failed in
    // it): false once the server has ended it. A backend that asks its server by a statement
    // answers through its dialect's TransactionStateStatement instead.
    virtual bool TransactionStands() const = 0;

    // Whether the driver still holds the connection open (false once the server closed it).
    virtual bool DriverOpen() const = 0;

    // Whether text that is no valid UTF-8 (db/RawText.h) is stored as its bytes.
    virtual bool KeepsRawText() const { return false; }

    // How many of the copier's rows one batch may hold; 1: the backend takes statements one at
    // a time, and the copier sends it no batch.
    virtual int BatchRows() const { return 1; }

    // Runs statements that travel together, in order, and returns the result of each (the rows
    // of those that want them). A backend that takes batches (BatchRows above 1) runs them as
    // one unit: when one fails, what the batch did is undone before its error is raised, and
    // UndoBatch can still take a batch that succeeded back until the next statement runs.
    // Default: one at a time through Run; a failure leaves the statements before it done.
    virtual QVector<TRowSet> RunBatch(const QVector<TBatchStatement>& statements) {
        QVector<TRowSet> results;
        for (const TBatchStatement& statement : statements)
            results.append(Run(statement.Sql, statement.Params, statement.WantRows));
        return results;
    }

    // Takes back what the last RunBatch did, right after it. Raises EDatabaseError.
    virtual void UndoBatch() {
        throw EDatabaseError(QStringLiteral("Пакет команд нельзя отменить: база данных принимает команды по одной"));
    }
};

// The fields of the data-link dialog that a connection string of the backend fills.
struct TDataLinkFields {
    QString Server;
    QString Database;  // a file for a file database
    bool IntegratedSecurity = false;
    QString User;
    QString Password;
};

// The fields of a database on a server: the server, the authentication and the database named.
inline TDataLinkFields ServerDataLinkFields(const TConnectionParams& params, const QString& database) {
    return {params.DataSource(), database, params.IntegratedSecurity(), params.UserId(), params.Password()};
}

class TBackend {
public:
    virtual ~TBackend() = default;

    // A short stable name, also its folder's: "sqlite", "postgres", "mssql".
    virtual QString Id() const = 0;
    // Whether a Provider value names this backend (letter case ignored).
    virtual bool ServesProvider(const QString& provider) const = 0;

    // What the data-link dialog offers: the choice's caption, the Provider value it writes,
    // and whether the database is a file (no server, no credentials).
    virtual QString Caption() const = 0;
    virtual QString Provider() const = 0;
    virtual bool FileDatabase() const = 0;
    virtual TDataLinkFields DataLinkFields(const TConnectionParams& params) const = 0;

    // The name by which messages tell the user which database they mean (DatabaseName.h).
    virtual QString DatabaseName(const TConnectionParams& params) const = 0;

    // The catalogue statements, schema changes and name rules of the backend's servers.
    virtual const TDialect& Dialect() const = 0;

    // Opens a connection under the Qt connection name, which it removes again on failure.
    // Opening, login included, gives up after connectTimeout seconds (> 0) on a server that
    // does not answer. Raises EDatabaseError carrying the driver's own text.
    virtual std::unique_ptr<TBackendSession> Open(const QString& qtName, const TConnectionParams& params,
                                                  int commandTimeout, int connectTimeout) const = 0;

    // The exclusive claim of an import on the database of a connection (ImportClaim.h): its
    // runner and the parameters it was opened with.
    virtual std::unique_ptr<TImportClaimHold> TakeImportClaim(TStatementRunner& connection,
                                                              const TConnectionParams& params) const = 0;
};
