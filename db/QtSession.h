#pragma once
// An open connection through a Qt SQL driver: the way of running a statement that every
// backend shares, with hooks for what differs.
//
// Named placeholders become positional ones, the values are bound (typed NULLs for null
// values), the whole result is fetched to the client and the statement is finished (reset),
// so nothing stays active on the connection. A statement is prepared once per connection and
// kept in the statement cache (StatementCache.h) when the backend keeps them; a statement
// without parameters runs as a plain batch unless the backend prepares those too.
//
// The row set is the first result that has columns; RowsAffected adds up the counts of the
// statements without rows (-1 when none reported one). Opening a statement that returns no
// rows gives a row set without columns; executing one that returns rows discards them.

#include "db/Backend.h"
#include "db/StatementCache.h"
#include "db/ValueReading.h"

#include <QSqlDatabase>
#include <QStringList>
#include <memory>

class QSqlError;
class QSqlField;
class QSqlQuery;

class TQtSession : public TBackendSession {
public:
    // Finalizes every statement, closes the database and removes its connection name.
    ~TQtSession() override;
    TQtSession(const TQtSession&) = delete;
    TQtSession& operator=(const TQtSession&) = delete;

    TRowSet Run(const QString& sql, const QVector<TBoundParam>& params, bool wantRows) override;
    void SetCommandTimeout(int seconds) override { CommandTimeout = seconds; }
    bool DriverOpen() const override { return Db.isOpen(); }

protected:
    // An opened database under its Qt connection name; keepStatements: prepared statements
    // are kept in the cache.
    TQtSession(const QSqlDatabase& db, const QString& qtName, int commandTimeout, bool keepStatements);

    // Tells the session that a statement starts, and that it ended on every way out of it.
    class TStatementScope {
    public:
        explicit TStatementScope(TQtSession& session) : Session(session) { Session.StatementStarting(); }
        ~TStatementScope() { Session.StatementEnded(); }
        TStatementScope(const TStatementScope&) = delete;
        TStatementScope& operator=(const TStatementScope&) = delete;

    private:
        TQtSession& Session;
    };

    // What one Run gathers.
    struct TRunResult {
        TRowSet Rows;
        bool HaveRows = false;
    };

    // Runs one statement of the text; a backend that wraps each statement calls this one.
    virtual void RunStatement(const QString& text, const QVector<TBoundParam>& params, bool wantRows,
                              TRunResult& result);

    // Hooks. The statements of a text, each run by RunStatement (default: the text whole).
    virtual QStringList StatementsOf(const QString& sql) const;
    // Whether a statement without parameters is prepared too, rather than run as a batch.
    virtual bool PreparesEveryStatement() const { return false; }
    // Around each statement (a statement clock, for one).
    virtual void StatementStarting() {}
    virtual void StatementEnded() {}
    // Settings of a prepared statement before it runs (a query timeout, for one).
    virtual void BeforeExecute(QSqlQuery& /*query*/) {}
    // The value a parameter is bound with (default: BindValueOf).
    virtual QVariant BindValue(const TBoundParam& param) const;
    // The rows a statement without a result changed: a count taken before it, then the
    // count after it (default: the driver's count).
    virtual qint64 ChangesSoFar() const { return 0; }
    virtual int RowsAffected(const QSqlQuery& query, qint64 changesBefore) const;
    // Whether every result of a batch is read, so that its later statements run.
    virtual bool ReadsEveryResult() const { return false; }
    // The columns of a result (default: the driver's names, typed by FieldTypeOfDriverField).
    virtual QVector<TColumnInfo> ColumnsOf(const QSqlQuery& query) const;
    virtual TFieldType FieldTypeOfDriverField(const QSqlField& field) const;
    // How the values of a result's rows are read (default: the driver's values).
    virtual std::unique_ptr<TFieldReader> ReaderOf(const QSqlQuery& query) const;
    // Whether an error is a wait for another connection's lock that ran out.
    virtual bool IsLockWaitExhausted(const QSqlError& error) const;
    // Whether an error will recur on every statement that writes or reads (a full disk, an
    // I/O error, a malformed database, no memory).
    virtual bool IsDatabaseFailing(const QSqlError& error) const;
    // Whether the server found no table or column of the name a statement gave.
    virtual bool IsMissingObject(const QSqlError& error) const;
    // Raises the error of a failed statement: EDatabaseInUse for a lock wait that ran out,
    // EDatabaseFailing for an error that will recur, EDatabaseError with the driver's text
    // otherwise.
    [[noreturn]] virtual void RaiseError(const QSqlError& error) const;

    // The values bound to a statement's positional placeholders, named in order: each
    // parameter looked for at its own position first, then among all, as BindValue gives it.
    // Raises "Параметр \"Name\" не найден" for a name that has no parameter.
    QVector<QVariant> BoundValues(const QStringList& names, const QVector<TBoundParam>& params) const;

    QSqlDatabase Db;
    int CommandTimeout;

private:
    // The prepared statement of the text, from the cache or prepared now; nullptr when the
    // text is to run as a plain batch.
    TPreparedStatement* PreparedStatementOf(const QString& text, std::unique_ptr<TPreparedStatement>& uncached);
    void ExecutePrepared(TPreparedStatement& statement, const QVector<TBoundParam>& params, bool wantRows,
                         qint64 changesBefore, TRunResult& result);
    void ExecuteBatch(const QString& text, bool wantRows, qint64 changesBefore, TRunResult& result);
    void BindParameters(QSqlQuery& query, const QStringList& names, const QVector<TBoundParam>& params) const;
    void ReadResults(QSqlQuery& query, bool wantRows, qint64 changesBefore, TRunResult& result) const;
    void FetchRows(QSqlQuery& query, TRowSet& rows) const;

    QString QtName;
    bool KeepStatements;
    TStatementCache Statements;
};
