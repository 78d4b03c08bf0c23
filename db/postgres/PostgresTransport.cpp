// Statements on a PostgreSQL session through libpq: prepared once, sent with their savepoint
// in one pipeline, batches as one unit.

#include "db/postgres/PostgresTransport.h"

#include "db/DbError.h"
#include "db/SqlText.h"
#include "db/postgres/Libpq.h"
#include "db/postgres/LibpqApi.h"
#include "db/postgres/PostgresParameters.h"
#include "db/postgres/PostgresResults.h"
#include "db/postgres/PostgresStatement.h"


namespace {

using TKind = TPipelineCommand::TKind;
using TStatus = TPipelineAnswer::TStatus;

const QString StatementSavepoint = QStringLiteral("tadoquery_statement");
const QString BatchSavepoint = QStringLiteral("tadoquery_batch");
// Statements prepared on the server at the same time; the one used longest ago goes first.
constexpr int KeptStatements = 256;

TPipelineCommand Statement(const QString& text) { return {TKind::Statement, {}, text.toUtf8(), {}, {}}; }

TPipelineCommand Sync() { return {TKind::Sync, {}, {}, {}, {}}; }

bool Failed(const TPipelineAnswer& answer) { return answer.Status == TStatus::Failed; }

// The first failed answer, or nullptr.
const TPipelineAnswer* FirstFailure(const QVector<TPipelineAnswer>& answers) {
    for (const TPipelineAnswer& answer : answers)
        if (Failed(answer)) return &answer;
    return nullptr;
}

// Takes the transaction back to the savepoint after a failure; never raises, since the
// failure is the one to report (a broken connection refuses this too).
void RollBackTo(pg_conn* connection, const QString& savepoint) {
    try {
        RunPipeline(connection, {Statement(QStringLiteral("ROLLBACK TO SAVEPOINT ") + savepoint),
                                 Statement(QStringLiteral("RELEASE SAVEPOINT ") + savepoint)});
    } catch (const EDatabaseError&) {
    }
}

}  // namespace

TPostgresTransport::TPostgresTransport(const QSqlDatabase& db, TRaise raise) : Db(db), Raise(std::move(raise)) {}

bool TPostgresTransport::InTransaction() const {
    return PostgresTransactionState(Db) == TPostgresTransactionState::InTransaction;
}

void TPostgresTransport::SendAhead(const QString& statement) { Ahead.append(statement); }

void TPostgresTransport::SendWaiting() {
    if (!Ahead.isEmpty() || BatchKept) Send({}, false);
}

TRowSet TPostgresTransport::Run(const QString& sql, const QVector<TBoundParam>& params, bool wantRows) {
    QVector<TPipelineCommand> commands;
    const int at = AppendStatement(commands, sql, params);
    // A statement that begins or ends a transaction or a savepoint runs without a savepoint of
    // its own, which it would end or which would end it.
    const QVector<TPipelineAnswer> answers = Send(commands, InTransaction() && !IsTransactionControl(sql));
    NotePrepared(commands, answers);
    if (const TPipelineAnswer* failure = FirstFailure(answers)) RaiseFailure(*failure);
    return PostgresRowSet(answers[at].Result.get(), wantRows);
}

TRowSet TPostgresTransport::RunText(const QString& sql, const QVector<TBoundParam>& params, bool wantRows) {
    SendWaiting();
    pg_conn* connection = LibpqConnectionOf(Db);
    const bool guarded = InTransaction() && !IsTransactionControl(sql);
    const QString text = PostgresTextWithLiterals(Db, sql, params);
    // The savepoint travels alone, so that the server's text of a failure quotes the text as given.
    if (guarded) Run(QStringLiteral("SAVEPOINT ") + StatementSavepoint, {}, false);
    const QVector<TPipelineAnswer> answers = RunSimpleQuery(connection, text);
    const TPipelineAnswer* failure = FirstFailure(answers);
    if (guarded && failure) RollBackTo(connection, StatementSavepoint);
    if (failure) RaiseFailure(*failure);
    // A text that ended the transaction took the savepoint with it.
    if (guarded && InTransaction()) Run(QStringLiteral("RELEASE SAVEPOINT ") + StatementSavepoint, {}, false);
    // The rows of the first statement that returns rows; the rows affected by the others.
    TRowSet rows;
    bool haveRows = false;
    for (qsizetype i = 0; i < answers.size(); ++i) {
        const TRowSet one = PostgresRowSet(answers[i].Result.get(), wantRows && !haveRows);
        if (one.RowsAffected >= 0) {
            rows.RowsAffected = qMax(rows.RowsAffected, 0) + one.RowsAffected;
        } else if (wantRows && !haveRows) {
            rows.Columns = one.Columns;
            rows.Rows = one.Rows;
            haveRows = true;
        }
    }
    return rows;
}

QVector<TRowSet> TPostgresTransport::RunBatch(const QVector<TBatchStatement>& statements) {
    QVector<TPipelineCommand> commands;
    QVector<int> at;
    for (const TBatchStatement& statement : statements)
        at.append(AppendStatement(commands, statement.Sql, statement.Params));
    const QVector<TPipelineAnswer> answers = Send(commands, InTransaction(), true);
    NotePrepared(commands, answers);
    if (const TPipelineAnswer* failure = FirstFailure(answers)) RaiseFailure(*failure);
    QVector<TRowSet> results;
    results.reserve(statements.size());
    for (int i = 0; i < statements.size(); ++i)
        results.append(PostgresRowSet(answers[at[i]].Result.get(), statements[i].WantRows));
    return results;
}

void TPostgresTransport::UndoBatch() {
    if (!BatchKept) throw EDatabaseError(QStringLiteral("Пакет команд отменить нельзя: после него выполнялись другие команды"));
    BatchKept = false;
    const QVector<TPipelineAnswer> answers =
        RunPipeline(LibpqConnectionOf(Db), {Statement(QStringLiteral("ROLLBACK TO SAVEPOINT ") + BatchSavepoint),
                                            Statement(QStringLiteral("RELEASE SAVEPOINT ") + BatchSavepoint)});
    if (const TPipelineAnswer* failure = FirstFailure(answers)) RaiseFailure(*failure);
}

int TPostgresTransport::AppendStatement(QVector<TPipelineCommand>& commands, const QString& sql,
                                        const QVector<TBoundParam>& params) {
    TPrepared* known = Prepared.contains(sql) ? &Prepared[sql] : Preparing.contains(sql) ? &Preparing[sql] : nullptr;
    if (!known) {
        const TPostgresPreparedText text = PostgresPreparedText(sql);
        if (text.Names.isEmpty()) {
            // Without parameters the text is parsed where it runs: a catalogue question or a
            // schema change seldom runs twice.
            commands.append(Statement(sql));
            return static_cast<int>(commands.size()) - 1;
        }
        const QVector<unsigned> types = text.TypingText.isEmpty() ? QVector<unsigned>() : ParameterTypes(sql, text.TypingText);
        TPrepared entry{QByteArrayLiteral("road_s") + QByteArray::number(++NextName), text.Names};
        commands.append({TKind::Prepare, entry.Name, text.Text, types, {}});
        TextOfName.insert(entry.Name, sql);
        known = &Preparing.insert(sql, entry).value();
    }
    known->LastUse = ++Uses;
    commands.append({TKind::Execute, known->Name, {}, {}, PostgresParameterTexts(known->Names, params)});
    return static_cast<int>(commands.size()) - 1;
}

QVector<unsigned> TPostgresTransport::ParameterTypes(const QString& sql, const QByteArray& typingText) {
    const auto known = Types.constFind(sql);
    if (known != Types.constEnd()) return known.value();
    const QVector<TPipelineAnswer> answers =
        Send({{TKind::Prepare, {}, typingText, {}, {}}, {TKind::Describe, {}, {}, {}, {}}}, InTransaction());
    if (const TPipelineAnswer* failure = FirstFailure(answers)) RaiseFailure(*failure);
    const TLibpqApi& pq = *Libpq();
    const PGresult* description = answers[1].Result.get();
    QVector<unsigned> types(pq.Nparams(description));
    for (int i = 0; i < types.size(); ++i) types[i] = pq.ParamType(description, i);
    Types.insert(sql, types);
    return types;
}

QVector<TPipelineAnswer> TPostgresTransport::Send(const QVector<TPipelineCommand>& commands, bool guarded, bool keep) {
    QVector<TPipelineCommand> all;
    if (BatchKept) all.append(Statement(QStringLiteral("RELEASE SAVEPOINT ") + BatchSavepoint));
    BatchKept = false;
    for (const QString& statement : std::as_const(Ahead)) all.append(Statement(statement));
    Ahead.clear();
    if (!all.isEmpty()) all.append(Sync());
    const qsizetype ahead = all.size();
    const QString savepoint = keep ? BatchSavepoint : StatementSavepoint;
    if (guarded) all.append(Statement(QStringLiteral("SAVEPOINT ") + savepoint));
    all.append(commands);
    if (guarded && !keep) all.append(Statement(QStringLiteral("RELEASE SAVEPOINT ") + savepoint));

    pg_conn* connection = LibpqConnectionOf(Db);
    const QVector<TPipelineAnswer> answers = RunPipeline(connection, all);
    const QVector<TPipelineAnswer> own = answers.mid(ahead + (guarded ? 1 : 0), commands.size());
    const bool failed = FirstFailure(answers.mid(ahead)) != nullptr;
    if (guarded && failed) RollBackTo(connection, savepoint);
    BatchKept = guarded && keep && !failed;
    // What travelled ahead failed: that failure comes first.
    if (const TPipelineAnswer* failure = FirstFailure(answers.mid(0, ahead))) RaiseFailure(*failure);
    if (guarded && Failed(answers[ahead])) RaiseFailure(answers[ahead]);
    return own;
}

void TPostgresTransport::NotePrepared(const QVector<TPipelineCommand>& commands, const QVector<TPipelineAnswer>& answers) {
    for (int i = 0; i < commands.size(); ++i) {
        const TPipelineCommand& command = commands[i];
        if (command.Kind == TKind::Prepare) {
            const QString sql = TextOfName.value(command.Name);
            const TPrepared entry = Preparing.take(sql);
            if (answers[i].Status == TStatus::Done) Keep(sql, entry);
            else TextOfName.remove(command.Name);
        } else if (command.Kind == TKind::Execute && Failed(answers[i])) {
            // Prepared afresh next time rather than trusted again (a plan the schema outdated).
            Forget(TextOfName.value(command.Name));
        }
    }
}

void TPostgresTransport::Keep(const QString& sql, const TPrepared& entry) {
    Prepared.insert(sql, entry);
    if (Prepared.size() <= KeptStatements) return;
    auto oldest = Prepared.begin();
    for (auto it = Prepared.begin(); it != Prepared.end(); ++it)
        if (it->LastUse < oldest->LastUse) oldest = it;
    Forget(oldest.key());
}

void TPostgresTransport::Forget(const QString& sql) {
    const auto entry = Prepared.find(sql);
    if (entry == Prepared.end()) return;
    SendAhead(QStringLiteral("DEALLOCATE ") + QString::fromLatin1(entry->Name));
    TextOfName.remove(entry->Name);
    Prepared.erase(entry);
}

void TPostgresTransport::RaiseFailure(const TPipelineAnswer& answer) {
    Raise(answer.Error, answer.Result ? PostgresErrorCode(answer.Result.get()) : QString());
    throw EDatabaseError(answer.Error);
}
