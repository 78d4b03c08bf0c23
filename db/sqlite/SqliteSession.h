#pragma once
// An open SQLite connection through Qt's QSQLITE driver.
//
// A text of several statements runs them one at a time (QSQLITE prepares one statement at
// a time); every statement is prepared once and kept. The command timeout interrupts a
// statement past it ("Превышено время выполнения команды (N с)") through the progress
// handler's clock. A lock that another connection holds is waited for in SQLite's busy
// handler (sqlite3_busy_timeout), after which the statement fails with SQLITE_BUSY or
// SQLITE_LOCKED: EDatabaseInUse. Result columns are typed by their declared types; rows
// affected are counted from the connection's total of changes, which DDL and transaction
// statements leave alone. A decimal text is bound as the integer or double that holds it
// exactly (SqliteValues.h). The statements that carry the import's GUID column are rewritten
// to the GUID that lives in the connection (SqliteImportStatements.h).

#include "db/QtSession.h"
#include "db/SqlText.h"
#include "db/sqlite/SqliteImportStatements.h"
#include "db/sqlite/SqliteNative.h"
#include "db/sqlite/SqliteRowQueries.h"

class TSqliteSession : public TQtSession {
public:
    TSqliteSession(const QSqlDatabase& db, const QString& qtName, int commandTimeout);

    // Registers what the dialect relies on, sets the busy timeout and the clock (SqliteNative.h).
    void Prepare();

    // A key written into a selection runs as a parameter (SqliteKeyParameter.h).
    TRowSet Run(const QString& sql, const QVector<TBoundParam>& params, bool wantRows) override;
    // A statement of its own on the handle, stepped as its rows are read, each step under the
    // statement clock.
    std::unique_ptr<TRowCursor> OpenCursor(const QString& sql, const QVector<TBoundParam>& params) override;
    void SetLockWait(bool waitForLocks) override;
    // SQLite rolls a transaction back by itself on some errors (a full disk, no memory, an
    // I/O error); the connection is then back in autocommit.
    bool TransactionStands() const override;
    bool NoTransactionOpen() const override { return !TransactionStands(); }
    bool KeepsRawText() const override { return true; }

protected:
    QStringList StatementsOf(const QString& sql) const override;
    bool PreparesEveryStatement() const override { return true; }
    void StatementStarting() override { Clock.Start(CommandTimeout); }
    void StatementEnded() override { Clock.Stop(); }
    QVariant BindValue(const TBoundParam& param) const override;
    qint64 ChangesSoFar() const override;
    int RowsAffected(const QSqlQuery& query, qint64 changesBefore) const override;
    // Text that is no valid UTF-8 is bound as its bytes and made TEXT again by the statement;
    // every statement runs on the handle itself (SqliteRowQueries.h).
    void RunStatement(const QString& text, const QVector<TBoundParam>& params, bool wantRows,
                      TRunResult& result) override;
    bool IsLockWaitExhausted(const QSqlError& error) const override;
    bool IsDatabaseFailing(const QSqlError& error) const override;
    bool IsMissingObject(const QSqlError& error) const override;
    [[noreturn]] void RaiseError(const QSqlError& error) const override;

private:
    class TCursor;
    // The text as it runs on the handle: a key as a parameter, the GUID rewritten, raw text
    // cast back to TEXT. False where it runs otherwise (a rewrite that records after it).
    bool TextForHandle(const QString& sql, const QVector<TBoundParam>& params, QString& text,
                       QVector<TBoundParam>& bound);
    [[noreturn]] void RaiseFailure(const TSqliteFailure& failure) const;
    TRowSet RunRewritten(const QString& sql, const QVector<TBoundParam>& params, bool wantRows);
    void RunOnHandle(const QString& text, const QVector<TBoundParam>& params, bool wantRows, TRunResult& result);
    // A text's statements and its positional form, worked out once per text: the copier runs
    // the same few texts for every row.
    TPositionalText PositionalOf(const QString& text);
    // The busy handler's wait for a command timeout: as long as a statement may run.
    int BusyTimeoutMs() const;

    TSqliteStatementClock Clock;  // read by the progress handler while the connection is open
    sqlite3* Handle = nullptr;     // of the open database, from Prepare on
    TSqliteImportStatements ImportStatements;
    std::unique_ptr<TSqliteRowQueries> RowQueries;  // from Prepare on
    QHash<QString, TPositionalText> Positional;
    mutable QHash<QString, QStringList> Split;
    const TSessionLifetime Lifetime = std::make_shared<const bool>(true);  // watched by its cursors
};
