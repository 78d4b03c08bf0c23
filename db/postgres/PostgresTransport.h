#pragma once
// How statements travel on a PostgreSQL session: through libpq on the driver's own connection,
// prepared once per text with their parameters typed by the server, and sent with what belongs
// to them in one pipeline, so that each costs one wait for the server.
//
// Inside a transaction a statement runs in a savepoint of its own (PostgresStatement.h says
// why); the savepoint, the statement and its release travel together. A batch runs in one
// savepoint, kept after it succeeded so that UndoBatch can still take it back, and released
// with whatever is sent next. Statements of the session's own (its settings, statements no
// longer kept) travel ahead of the next statement in a segment of their own.

#include "db/RowSet.h"
#include "db/postgres/PostgresPipeline.h"

#include <QHash>
#include <QSqlDatabase>
#include <QStringList>
#include <functional>

class TPostgresTransport {
public:
    // raise: raises the error of a command the server refused, from its text and SQLSTATE.
    using TRaise = std::function<void(const QString& text, const QString& code)>;
    TPostgresTransport(const QSqlDatabase& db, TRaise raise);

    // Sends the statement ahead of the next one.
    void SendAhead(const QString& statement);
    // Sends what waits to be sent ahead (the release of a batch kept) now.
    void SendWaiting();

    // One statement text with its named parameters (Backend.h).
    TRowSet Run(const QString& sql, const QVector<TBoundParam>& params, bool wantRows);
    // A text of several statements, as one message with its values as literals; the rows of
    // its first statement that returns rows, the rows affected by the others.
    TRowSet RunText(const QString& sql, const QVector<TBoundParam>& params, bool wantRows);
    // Statements as one unit: all done, or none (Backend.h).
    QVector<TRowSet> RunBatch(const QVector<TBatchStatement>& statements);
    // Takes the batch that ran last back, while it is kept.
    void UndoBatch();

private:
    struct TPrepared {
        QByteArray Name;
        QStringList Names;  // of $1, $2, ...
        quint64 LastUse = 0;
    };

    // Appends the commands that run the statement; returns the index of the one whose answer
    // is the statement's.
    int AppendStatement(QVector<TPipelineCommand>& commands, const QString& sql, const QVector<TBoundParam>& params);
    // The parameter types of a text the server cannot type alone, asked of the server once.
    QVector<unsigned> ParameterTypes(const QString& sql, const QByteArray& typingText);
    // Sends the commands after what waits ahead, with a savepoint around them when the session
    // is in a transaction; on failure takes the transaction back to the savepoint. keep: the
    // savepoint stays after success (a batch). Returns the answers of the commands.
    QVector<TPipelineAnswer> Send(const QVector<TPipelineCommand>& commands, bool guarded, bool keep = false);
    // Keeps the statements prepared by the commands that were done; forgets those that failed.
    void NotePrepared(const QVector<TPipelineCommand>& commands, const QVector<TPipelineAnswer>& answers);
    void Keep(const QString& sql, const TPrepared& entry);
    // Deallocates the statement of the text with whatever is sent next.
    void Forget(const QString& sql);
    [[noreturn]] void RaiseFailure(const TPipelineAnswer& answer);
    bool InTransaction() const;

    QSqlDatabase Db;
    TRaise Raise;
    QStringList Ahead;
    bool BatchKept = false;
    QHash<QString, TPrepared> Prepared;
    QHash<QString, TPrepared> Preparing;  // by text: sent in the pipeline under way
    QHash<QByteArray, QString> TextOfName;
    QHash<QString, QVector<unsigned>> Types;
    quint64 Uses = 0;
    int NextName = 0;
};
