// Running statements on PostgreSQL: through libpq, or literals through the driver; the
// session's timeouts.

#include "db/postgres/PostgresSession.h"

#include "db/DbError.h"
#include "db/QtDatabase.h"
#include "db/SqlText.h"
#include "db/postgres/Libpq.h"
#include "db/postgres/PostgresCatalogue.h"
#include "db/postgres/PostgresCursor.h"
#include "db/postgres/LibpqApi.h"
#include "db/postgres/PostgresStatement.h"
#include "db/postgres/PostgresTempObjects.h"
#include "db/postgres/PostgresTypes.h"
#include "db/postgres/PostgresValueReading.h"

#include <QSqlError>
#include <QSqlField>
#include <algorithm>

long long PostgresLockTimeoutMs(int commandTimeout) {
    if (commandTimeout <= 0) return 0;
    const long long ms = static_cast<long long>(commandTimeout) * 1000;
    return ms - std::min<long long>(1000, ms / 10);
}

namespace {

// Rows of the copier one batch holds: enough that waiting for the server is spread thin, few
// enough that a batch one row of which fails costs little to replay row by row.
constexpr int PostgresBatchRows = 100;

}  // namespace

TPostgresSession::TPostgresSession(const QSqlDatabase& db, const QString& qtName, int commandTimeout)
    : TQtSession(db, qtName, commandTimeout, false),
      Transport(db, [this](const QString& text, const QString& code) {
          RaiseError(QSqlError(QStringLiteral("QPSQL: Unable to create query"), text, QSqlError::StatementError, code));
      }),
      ImportStatements([this](const QString& sql) { return AskSession(sql); }) {}

bool TPostgresSession::TravelsThroughLibpq() { return Libpq() != nullptr; }

TPostgresSession::TObjectsWatch::TObjectsWatch(TPostgresSession& session, const QString& sql)
    : Session(session), Changes(ChangesPostgresSessionObjects(sql)), Before(PostgresTransactionState(session.Db)) {}

// A rollback takes back what the transaction made or dropped; whatever else ends a
// transaction is asked about again too.
TPostgresSession::TObjectsWatch::~TObjectsWatch() {
    if (Changes || PostgresTransactionState(Session.Db) != Before) Session.ImportStatements.Forget();
}

TRowSet TPostgresSession::AskSession(const QString& sql) {
    return TravelsThroughLibpq() ? Transport.Run(sql, {}, true) : TQtSession::Run(sql, {}, true);
}

TRowSet TPostgresSession::Run(const QString& sql, const QVector<TBoundParam>& params, bool wantRows) {
    if (!HasStatementText(sql)) throw EDatabaseError(QStringLiteral("Текст команды не задан"));
    const bool repeatable = wantRows && params.isEmpty() && sql.startsWith(PostgresRepeatedQuestion);
    if (repeatable && sql == LastQuestion) return LastAnswer;
    LastQuestion.clear();
    if (!repeatable) return RunText(sql, params, wantRows);
    LastAnswer = RunText(sql, params, wantRows);
    LastQuestion = sql;
    return LastAnswer;
}

TRowSet TPostgresSession::RunText(const QString& sql, const QVector<TBoundParam>& params, bool wantRows) {
    const TObjectsWatch watch(*this, sql);
    if (!TravelsThroughLibpq()) {
        for (const QString& setting : PendingSettings()) ExecuteOnDatabase(Db, setting);
        return TQtSession::Run(ImportStatements.RewriteOf(sql), params, wantRows);
    }
    for (const QString& setting : PendingSettings()) Transport.SendAhead(setting);
    const QString text = ImportStatements.RewriteOf(sql);
    return HoldsOneStatement(text) ? Transport.Run(text, params, wantRows) : Transport.RunText(text, params, wantRows);
}

std::unique_ptr<TRowCursor> TPostgresSession::OpenCursor(const QString& sql, const QVector<TBoundParam>& params) {
    LastQuestion.clear();
    if (!TravelsThroughLibpq() || !HasStatementText(sql) || !HoldsOneStatement(sql))
        return TBackendSession::OpenCursor(sql, params);
    const TObjectsWatch watch(*this, sql);
    for (const QString& setting : PendingSettings()) Transport.SendAhead(setting);
    const QString text = ImportStatements.RewriteOf(sql);
    if (!IsPostgresQuery(text)) return TBackendSession::OpenCursor(sql, params);
    return std::make_unique<TPostgresCursor>(Transport, QStringLiteral("road_import_rows_%1").arg(++CursorsOpened), text,
                                             params, Lifetime);
}

int TPostgresSession::BatchRows() const { return TravelsThroughLibpq() ? PostgresBatchRows : 1; }

QVector<TRowSet> TPostgresSession::RunBatch(const QVector<TBatchStatement>& statements) {
    LastQuestion.clear();
    if (!TravelsThroughLibpq()) return TBackendSession::RunBatch(statements);
    const TObjectsWatch watch(*this, QString());
    for (const QString& setting : PendingSettings()) Transport.SendAhead(setting);
    QVector<TBatchStatement> rewritten = statements;
    for (TBatchStatement& statement : rewritten) statement.Sql = ImportStatements.RewriteOf(statement.Sql);
    return Transport.RunBatch(rewritten);
}

void TPostgresSession::UndoBatch() {
    if (!TravelsThroughLibpq()) TBackendSession::UndoBatch();
    Transport.UndoBatch();
}

QStringList TPostgresSession::PendingSettings() {
    // A transaction that is rolled back takes a session setting made inside it with it, so
    // the shortest wait is set again before every statement.
    if (!TimeoutsPending) return WaitsForLocks ? QStringList() : QStringList{LockTimeoutSetting()};
    TimeoutsPending = false;
    const qlonglong ms = CommandTimeout > 0 ? static_cast<qlonglong>(CommandTimeout) * 1000 : 0;
    return {QStringLiteral("SET statement_timeout = %1").arg(ms), LockTimeoutSetting()};
}

// 0 would mean no limit: 1 ms is the shortest wait there is.
QString TPostgresSession::LockTimeoutSetting() const {
    return QStringLiteral("SET lock_timeout = %1").arg(WaitsForLocks ? PostgresLockTimeoutMs(CommandTimeout) : 1);
}

void TPostgresSession::SetCommandTimeout(int seconds) {
    if (seconds == CommandTimeout) return;
    TQtSession::SetCommandTimeout(seconds);
    TimeoutsPending = true;
}

void TPostgresSession::SetLockWait(bool waitForLocks) {
    WaitsForLocks = waitForLocks;
    // Through libpq the setting travels with the next statement, the first it matters to.
    if (TravelsThroughLibpq()) Transport.SendAhead(LockTimeoutSetting());
    else ExecuteOnDatabase(Db, LockTimeoutSetting());
}

bool TPostgresSession::NoTransactionOpen() const {
    return PostgresTransactionState(Db) == TPostgresTransactionState::Idle;
}

bool TPostgresSession::TransactionStands() const {
    return Db.isOpen() && PostgresTransactionState(Db) == TPostgresTransactionState::InTransaction;
}

// The values go in as literals, and a failed statement inside a transaction is undone alone
// (PostgresStatement.h says why).
void TPostgresSession::RunStatement(const QString& text, const QVector<TBoundParam>& params, bool wantRows,
                                    TRunResult& result) {
    const QString literalText = PostgresTextWithLiterals(Db, text, params);
    TPostgresStatementGuard guard(Db);
    try {
        TQtSession::RunStatement(literalText, {}, wantRows, result);
    } catch (...) {
        guard.Failed();
        throw;
    }
    guard.Succeeded();
}

TFieldType TPostgresSession::FieldTypeOfDriverField(const QSqlField& field) const {
    return FieldTypeOfPostgresOid(field.typeID(), field.length());
}

std::unique_ptr<TFieldReader> TPostgresSession::ReaderOf(const QSqlQuery& query) const {
    return std::make_unique<TPostgresFieldReader>(query);
}

bool TPostgresSession::IsLockWaitExhausted(const QSqlError& error) const {
    return error.nativeErrorCode() == QLatin1String("55P03");  // lock_not_available
}

// undefined_table, undefined_column.
bool TPostgresSession::IsMissingObject(const QSqlError& error) const {
    return error.nativeErrorCode() == QLatin1String("42P01") || error.nativeErrorCode() == QLatin1String("42703");
}

// SQLSTATEs that every later statement would meet again: disk_full, out_of_memory,
// io_error, data_corrupted, index_corrupted.
bool TPostgresSession::IsDatabaseFailing(const QSqlError& error) const {
    static const QStringList codes{QStringLiteral("53100"), QStringLiteral("53200"), QStringLiteral("58030"),
                                   QStringLiteral("XX001"), QStringLiteral("XX002")};
    return codes.contains(error.nativeErrorCode());
}
