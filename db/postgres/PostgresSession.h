#pragma once
// An open PostgreSQL connection through Qt's QPSQL driver.
//
// Statements travel through libpq on the driver's connection (PostgresTransport.h): prepared
// once, each in a savepoint of its own inside a transaction, the copier's rows in batches.
// Where the loaded libpq has no pipeline mode (before version 14) they go through the driver
// instead: values as literals, the savepoint a round trip of its own (PostgresStatement.h).
// Once libpq carries them, nothing runs through the driver's queries, which would leave
// libpq's single-row mode set for the next statement. The command timeout is the
// session's statement_timeout. A lock another connection holds is waited for lock_timeout,
// set a little under statement_timeout, because when both are equal the statement timeout
// fires first and a wait for a lock could not be told from a slow statement; a wait that ran
// out fails with SQLSTATE 55P03: EDatabaseInUse. Values are read as the server holds them
// (PostgresValueReading.h). The statements that meet the import's GUID columns and section
// links, which live in the session, are rewritten (PostgresImportStatements.h). A catalogue
// question asked again with no statement of the session in between is answered from the
// answer before (PostgresCatalogue.h): the copier asks a table's references once per column.

#include "db/QtSession.h"
#include "db/postgres/Libpq.h"
#include "db/postgres/PostgresImportStatements.h"
#include "db/postgres/PostgresTransport.h"

class TPostgresSession : public TQtSession {
public:
    TPostgresSession(const QSqlDatabase& db, const QString& qtName, int commandTimeout);

    TRowSet Run(const QString& sql, const QVector<TBoundParam>& params, bool wantRows) override;
    // A query's rows through a cursor of the session fetched in blocks (PostgresCursor.h).
    std::unique_ptr<TRowCursor> OpenCursor(const QString& sql, const QVector<TBoundParam>& params) override;
    void SetCommandTimeout(int seconds) override;
    void SetLockWait(bool waitForLocks) override;
    bool NoTransactionOpen() const override;
    // libpq's transaction status: inside a transaction that has not failed. A failed
    // statement alone is undone by its savepoint; a lost session reports no transaction.
    bool TransactionStands() const override;
    int BatchRows() const override;
    QVector<TRowSet> RunBatch(const QVector<TBatchStatement>& statements) override;
    void UndoBatch() override;

protected:
    void RunStatement(const QString& text, const QVector<TBoundParam>& params, bool wantRows,
                      TRunResult& result) override;
    TFieldType FieldTypeOfDriverField(const QSqlField& field) const override;
    std::unique_ptr<TFieldReader> ReaderOf(const QSqlQuery& query) const override;
    bool IsLockWaitExhausted(const QSqlError& error) const override;
    bool IsDatabaseFailing(const QSqlError& error) const override;
    bool IsMissingObject(const QSqlError& error) const override;

private:
    // Whether statements travel through libpq (PostgresTransport.h).
    static bool TravelsThroughLibpq();
    // The session's statement_timeout and lock_timeout for the command timeout, before the
    // first statement and after the timeout changed; the shortest lock wait again after a
    // rollback may have undone it.
    QStringList PendingSettings();
    QString LockTimeoutSetting() const;

    // Tells the rewriting to ask the session again when a statement may have changed what it
    // holds.
    class TObjectsWatch {
    public:
        TObjectsWatch(TPostgresSession& session, const QString& sql);
        ~TObjectsWatch();

    private:
        TPostgresSession& Session;
        bool Changes;
        TPostgresTransactionState Before;
    };
    // A statement of the session's own, with its rows.
    TRowSet AskSession(const QString& sql);
    // Run without the repeated catalogue question's memory.
    TRowSet RunText(const QString& sql, const QVector<TBoundParam>& params, bool wantRows);

    TPostgresTransport Transport;
    TPostgresImportStatements ImportStatements;
    const TSessionLifetime Lifetime = std::make_shared<const bool>(true);  // watched by its cursors
    int CursorsOpened = 0;
    QString LastQuestion;  // the catalogue question that ran last, when nothing ran since
    TRowSet LastAnswer;
    bool TimeoutsPending = true;
    bool WaitsForLocks = true;
};

// The PostgreSQL lock_timeout in milliseconds for a command timeout in seconds (0: no limit).
long long PostgresLockTimeoutMs(int commandTimeout);
