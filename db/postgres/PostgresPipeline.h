#pragma once
// Commands that travel to the server together, in libpq's pipeline mode, and their answers read
// back in order: the whole list costs one wait for the server however long it is.

#include <QByteArray>
#include <QString>
#include <QVector>
#include <memory>
#include <optional>

struct pg_conn;
struct pg_result;

struct TPipelineCommand {
    enum class TKind {
        Statement,  // Text, run unprepared without parameters
        Prepare,    // Text prepared under Name with Types (0: the server types the parameter)
        Describe,   // the parameter types of the statement prepared under Name
        Execute,    // the statement prepared under Name, with Values
        Sync,       // ends a segment: what follows runs even when a command before it failed
    };
    TKind Kind = TKind::Statement;
    QByteArray Name;
    QByteArray Text;
    QVector<unsigned> Types;
    QVector<std::optional<QByteArray>> Values;  // texts; nullopt for NULL
};

struct TPipelineAnswer {
    enum class TStatus { Done, Failed, Skipped };
    TStatus Status = TStatus::Skipped;  // Skipped: a command before it failed
    std::shared_ptr<pg_result> Result;  // of a command that was done or failed
    QString Error;                      // of a failed command, as PostgresErrorText gives it
};

// Sends the commands and a sync, and reads every answer. A command that the server refuses is
// answered Failed and those after it in its segment Skipped; a connection that breaks answers
// Failed with libpq's text. Outside a transaction block each segment is a transaction of its
// own, and a statement that may not run in one (CREATE DATABASE) must be alone in its segment. Raises EDatabaseError when the commands cannot be sent at all.
QVector<TPipelineAnswer> RunPipeline(pg_conn* connection, const QVector<TPipelineCommand>& commands);

// A text of several statements, sent as one message of the simple protocol (a pipeline takes
// one statement a command): the answer of each statement up to the first that fails, which
// ends the text. A connection that breaks adds a Failed answer with libpq's text.
QVector<TPipelineAnswer> RunSimpleQuery(pg_conn* connection, const QString& text);
