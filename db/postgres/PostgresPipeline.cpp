// libpq's pipeline mode: the commands queued, sent without waiting, and their answers read.

#include "db/postgres/PostgresPipeline.h"

#include "db/DbError.h"
#include "db/postgres/LibpqApi.h"
#include "db/postgres/PostgresResults.h"

#include <poll.h>

namespace {

[[noreturn]] void RaiseConnectionError(const TLibpqApi& pq, PGconn* connection) {
    throw EDatabaseError(QString::fromUtf8(pq.ErrorMessage(connection)).trimmed());
}

// Pointers into the values for libpq; nullptr stands for NULL.
QVector<const char*> ValuePointers(const QVector<std::optional<QByteArray>>& values) {
    QVector<const char*> pointers(values.size(), nullptr);
    for (int i = 0; i < values.size(); ++i)
        if (values[i]) pointers[i] = values[i]->constData();
    return pointers;
}

bool Queue(const TLibpqApi& pq, PGconn* connection, const TPipelineCommand& command) {
    using K = TPipelineCommand::TKind;
    switch (command.Kind) {
    case K::Statement:
        return pq.SendQueryParams(connection, command.Text.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0);
    case K::Prepare:
        return pq.SendPrepare(connection, command.Name.constData(), command.Text.constData(),
                              static_cast<int>(command.Types.size()),
                              reinterpret_cast<const Oid*>(command.Types.constData()));
    case K::Describe:
        return pq.SendDescribePrepared(connection, command.Name.constData());
    case K::Execute: {
        const QVector<const char*> values = ValuePointers(command.Values);
        return pq.SendQueryPrepared(connection, command.Name.constData(), static_cast<int>(values.size()),
                                    values.constData(), nullptr, nullptr, 0);
    }
    case K::Sync:
        return pq.PipelineSync(connection);
    }
    return false;
}

// Writes what libpq holds, reading the server's answers meanwhile, so that neither side
// waits for the other with its buffers full.
void SendQueued(const TLibpqApi& pq, PGconn* connection) {
    for (;;) {
        const int pending = pq.Flush(connection);
        if (pending == 0) return;
        if (pending < 0) RaiseConnectionError(pq, connection);
        pollfd socket{pq.Socket(connection), POLLIN | POLLOUT, 0};
        if (poll(&socket, 1, -1) < 0) continue;
        if ((socket.revents & POLLIN) && !pq.ConsumeInput(connection)) RaiseConnectionError(pq, connection);
    }
}

// The answer that a result gives; nullptr stands for a connection that broke.
TPipelineAnswer AnswerOf(const TLibpqApi& pq, PGconn* connection, PGresult* result) {
    TPipelineAnswer answer;
    if (!result) {
        answer.Status = TPipelineAnswer::TStatus::Failed;
        answer.Error = QString::fromUtf8(pq.ErrorMessage(connection)).trimmed();
        return answer;
    }
    answer.Result = std::shared_ptr<pg_result>(result, pq.Clear);
    switch (pq.ResultStatus(result)) {
    case PGRES_COMMAND_OK:
    case PGRES_TUPLES_OK:
        answer.Status = TPipelineAnswer::TStatus::Done;
        break;
    case PGRES_PIPELINE_ABORTED:
        answer.Status = TPipelineAnswer::TStatus::Skipped;
        break;
    default:
        answer.Status = TPipelineAnswer::TStatus::Failed;
        answer.Error = PostgresErrorText(result);
        break;
    }
    return answer;
}

// The answer of the next command: its first result, then libpq's end of the command.
TPipelineAnswer ReadAnswer(const TLibpqApi& pq, PGconn* connection) {
    PGresult* first = pq.GetResult(connection);
    const TPipelineAnswer answer = AnswerOf(pq, connection, first);
    if (first)
        while (PGresult* more = pq.GetResult(connection)) pq.Clear(more);
    return answer;
}

// Reads up to the end of a segment.
TPipelineAnswer ReadSync(const TLibpqApi& pq, PGconn* connection) {
    TPipelineAnswer answer;
    while (PGresult* result = pq.GetResult(connection)) {
        const bool sync = pq.ResultStatus(result) == PGRES_PIPELINE_SYNC;
        pq.Clear(result);
        if (sync) {
            answer.Status = TPipelineAnswer::TStatus::Done;
            break;
        }
    }
    return answer;
}

const TLibpqApi& LoadedLibpq(pg_conn* connection) {
    const TLibpqApi* api = Libpq();
    if (!api || !connection)
        throw EDatabaseError(QStringLiteral("Клиентская библиотека PostgreSQL (libpq) версии 14 или новее не загружена"));
    return *api;
}

}  // namespace

QVector<TPipelineAnswer> RunPipeline(pg_conn* connection, const QVector<TPipelineCommand>& commands) {
    const TLibpqApi& pq = LoadedLibpq(connection);
    if (!pq.EnterPipelineMode(connection)) RaiseConnectionError(pq, connection);
    // Without blocking, queueing never waits for the server: SendQueued below does.
    pq.SetNonBlocking(connection, 1);
    struct TLeave {
        const TLibpqApi& Pq;
        PGconn* Connection;
        ~TLeave() {
            Pq.SetNonBlocking(Connection, 0);
            Pq.ExitPipelineMode(Connection);
        }
    } leave{pq, connection};
    for (const TPipelineCommand& command : commands)
        if (!Queue(pq, connection, command)) RaiseConnectionError(pq, connection);
    if (!pq.PipelineSync(connection)) RaiseConnectionError(pq, connection);
    SendQueued(pq, connection);

    QVector<TPipelineAnswer> answers;
    answers.reserve(commands.size());
    bool broken = false;
    for (const TPipelineCommand& command : commands) {
        if (broken) answers.append(TPipelineAnswer{});
        else if (command.Kind == TPipelineCommand::TKind::Sync) answers.append(ReadSync(pq, connection));
        else answers.append(ReadAnswer(pq, connection));
        // A connection that broke answers nothing more.
        broken = broken || pq.Status(connection) != CONNECTION_OK;
    }
    if (!broken) ReadSync(pq, connection);
    return answers;
}

QVector<TPipelineAnswer> RunSimpleQuery(pg_conn* connection, const QString& text) {
    const TLibpqApi& pq = LoadedLibpq(connection);
    if (!pq.SendQuery(connection, text.toUtf8().constData())) RaiseConnectionError(pq, connection);
    QVector<TPipelineAnswer> answers;
    while (PGresult* result = pq.GetResult(connection)) answers.append(AnswerOf(pq, connection, result));
    if (answers.isEmpty() || pq.Status(connection) != CONNECTION_OK) answers.append(AnswerOf(pq, connection, nullptr));
    return answers;
}
