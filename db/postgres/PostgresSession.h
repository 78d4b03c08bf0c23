#pragma once
// An open PostgreSQL connection through Qt's QPSQL driver.
//
// Every statement gets its values as literals in its text and runs in a savepoint of its own
// inside a transaction (PostgresStatement.h says why); nothing is prepared or kept. The
// command timeout is the session's statement_timeout. A lock another connection holds is
// waited for lock_timeout, set a little under statement_timeout, because when both are
// equal the statement timeout fires first and a wait for a lock could not be told from a
// slow statement; a wait that ran out fails with SQLSTATE 55P03: EDatabaseInUse. Values
// are read as the server holds them (PostgresValueReading.h).

#include "db/QtSession.h"

class TPostgresSession : public TQtSession {
public:
    TPostgresSession(const QSqlDatabase& db, const QString& qtName, int commandTimeout);

    TRowSet Run(const QString& sql, const QVector<TBoundParam>& params, bool wantRows) override;
    void SetCommandTimeout(int seconds) override;
    void SetLockWait(bool waitForLocks) override;
    bool NoTransactionOpen() const override;
    // libpq's transaction status: inside a transaction that has not failed. A failed
    // statement alone is undone by its savepoint; a lost session reports no transaction.
    bool TransactionStands() const override;

protected:
    void RunStatement(const QString& text, const QVector<TBoundParam>& params, bool wantRows,
                      TRunResult& result) override;
    TFieldType FieldTypeOfDriverField(const QSqlField& field) const override;
    std::unique_ptr<TFieldReader> ReaderOf(const QSqlQuery& query) const override;
    bool IsLockWaitExhausted(const QSqlError& error) const override;
    bool IsDatabaseFailing(const QSqlError& error) const override;

private:
    // The session's statement_timeout and lock_timeout for the command timeout, before the
    // first statement and after the timeout changed.
    void ApplyTimeouts();
    QString LockTimeoutSetting() const;

    bool TimeoutsPending = true;
    bool WaitsForLocks = true;
};

// The PostgreSQL lock_timeout in milliseconds for a command timeout in seconds (0: no limit).
long long PostgresLockTimeoutMs(int commandTimeout);
