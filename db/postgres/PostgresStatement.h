#pragma once
// What running a statement through the QPSQL driver needs beyond the driver: a text that holds
// several statements, or any text where the loaded libpq has no pipeline mode
// (PostgresSession.h), travels this way.
//
// Parameters are written into the text as literals: the driver prepares a statement without
// parameter types, so the server types a parameter from its context alone, and the copier's
// probe holds parameters that only meet "is NULL" (":WhereN5 is NULL"), which the server
// refuses to prepare.
//
// A statement that fails inside a transaction would leave the whole transaction aborted
// (every later statement refused until the rollback); SQL Server undoes the failed
// statement alone, and the copier goes on after a row that failed. The statement guard
// gives PostgreSQL the same behaviour with a savepoint around each statement; libpq's
// transport sends the same savepoint with the statement (PostgresTransport.h).

#include "db/RowSet.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QVector>

// The text with every ":Name" outside quotes and comments replaced by its value's literal;
// raises "Параметр \"Name\" не найден" for a name that has no parameter.
QString PostgresTextWithLiterals(const QSqlDatabase& db, const QString& sql, const QVector<TBoundParam>& params);

// The parameter of this name (letter case ignored); raises "Параметр \"Name\" не найден".
const TBoundParam* FindPostgresParam(const QVector<TBoundParam>& params, const QString& name);

// A date and time as PostgreSQL reads it, with its offset from UTC (below).
QString PostgresDateTimeText(const QDateTime& moment);

// The literal of one value as the text carries it. A date and time carries its offset from
// UTC: a timestamp column takes the wall-clock time and ignores the offset, a timestamptz
// column takes the instant, whatever the session's time zone.
QString PostgresLiteral(const QSqlDatabase& db, const QVariant& value);

// Sets a savepoint when the connection is inside a transaction; on Failed() the
// transaction is brought back to it, on Succeeded() it is released. Outside a transaction,
// and once the statement itself has ended the transaction, it does nothing.
class TPostgresStatementGuard {
public:
    explicit TPostgresStatementGuard(const QSqlDatabase& db);
    void Succeeded();
    void Failed();

private:
    QSqlDatabase Db;
    bool Set = false;
};
