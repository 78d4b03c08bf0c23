#pragma once
// Running one statement text on an open QSqlDatabase: named placeholders become positional
// ones, the values are bound (typed NULLs for null values), the whole result is fetched to
// the client and the statement is finished (reset), so nothing stays active on the
// connection. A statement is prepared once per connection and kept in its statement cache
// (StatementCache.h): SQLite keeps every statement, SQL Server those with parameters (a
// statement without them runs as a plain batch); without a cache every text is prepared
// anew.
//
// A text of several statements runs them in order (SQLite one at a time; SQL Server as one
// batch, every result of which is read). The row set is the first result that has columns;
// RowsAffected adds up the counts of the statements without rows (-1 when none reported
// one). Opening a statement that returns no rows gives a row set without columns; executing
// one that returns rows discards them.

#include "db/ADOConnection.h"
#include "db/Dialect.h"

#include <QSqlDatabase>
#include <memory>

class QSqlError;
class QSqlQuery;
class TStatementCache;
struct TPreparedStatement;
struct TSqliteStatementClock;

class TStatementRunner {
public:
    TStatementRunner(const QSqlDatabase& db, TBackendKind kind, int commandTimeout,
                     TSqliteStatementClock* clock, TStatementCache* cache);
    TRowSet Run(const QString& sql, const QVector<TBoundParam>& params, bool wantRows);

private:
    void RunStatement(const QString& text, const QVector<TBoundParam>& params, bool wantRows);
    // The prepared statement of the text, from the cache or prepared now; nullptr when the
    // text is to run as a plain batch.
    TPreparedStatement* PreparedStatementOf(const QString& text, std::unique_ptr<TPreparedStatement>& uncached);
    void ExecutePrepared(TPreparedStatement& statement, const QVector<TBoundParam>& params, bool wantRows,
                         qint64 changesBefore);
    void ExecuteBatch(const QString& text, bool wantRows, qint64 changesBefore);
    void RunPostgresStatement(const QString& text, const QVector<TBoundParam>& params, bool wantRows);
    void BindParameters(QSqlQuery& query, const QStringList& names, const QVector<TBoundParam>& params);
    void ReadResults(QSqlQuery& query, bool wantRows, qint64 changesBefore);
    void FetchRows(QSqlQuery& query);
    QVector<TColumnInfo> ColumnsOf(const QSqlQuery& query) const;
    [[noreturn]] void RaiseError(const QSqlError& error) const;

    QSqlDatabase Db;
    TBackendKind Kind;
    int CommandTimeout;
    TSqliteStatementClock* Clock;
    TStatementCache* Cache;
    TRowSet Result;
    bool HaveRows = false;
};
