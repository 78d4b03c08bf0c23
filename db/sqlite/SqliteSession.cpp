// Running statements on SQLite: one at a time, under the statement clock, counted by the
// connection's changes.

#include "db/sqlite/SqliteSession.h"

#include "db/DbError.h"
#include "db/QtDatabase.h"
#include "db/sqlite/SqliteKeyParameter.h"
#include "db/RawText.h"
#include "db/SqlText.h"
#include "db/sqlite/SqliteTempObjects.h"
#include "db/sqlite/SqliteValues.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <climits>
#include <functional>

namespace {

// SQLite's primary result codes of a lock another connection holds.
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;

// SQLite's primary result codes that every later statement would meet again: no memory, an
// I/O error, a malformed database image, a full disk, a file that is no database.
constexpr int SqliteNoMemory = 7;
constexpr int SqliteIoError = 10;
constexpr int SqliteCorrupt = 11;
constexpr int SqliteFull = 13;
constexpr int SqliteNotADatabase = 26;

// Texts whose analyses a session keeps; past this many they are made afresh. A longer text (a
// selection that lists its keys) is worked out each time rather than kept alive.
constexpr int MaxKeptTexts = 4096;
constexpr qsizetype MaxKeptTextLength = 8192;

template <typename T>
T Remembered(QHash<QString, T>& kept, const QString& text, const std::function<T()>& make) {
    if (text.size() > MaxKeptTextLength) return make();
    const auto found = kept.constFind(text);
    if (found != kept.constEnd()) return *found;
    if (kept.size() >= MaxKeptTexts) kept.clear();
    return *kept.insert(text, make());
}

// The primary result code of an error (an extended code keeps it in its low byte), or -1.
int PrimaryCodeOf(const QSqlError& error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code & 0xff : -1;
}

}  // namespace

TSqliteSession::TSqliteSession(const QSqlDatabase& db, const QString& qtName, int commandTimeout)
    : TQtSession(db, qtName, commandTimeout, true) {}

int TSqliteSession::BusyTimeoutMs() const {
    return CommandTimeout > 0 ? static_cast<int>(std::min<long long>(static_cast<long long>(CommandTimeout) * 1000, INT_MAX))
                              : INT_MAX;
}

void TSqliteSession::Prepare() {
    PrepareSqliteConnection(Db, &Clock, BusyTimeoutMs());
    Handle = SqliteNativeHandle(Db);
    if (Handle) RowQueries = std::make_unique<TSqliteRowQueries>(Handle);
}

TRowSet TSqliteSession::Run(const QString& sql, const QVector<TBoundParam>& params, bool wantRows) {
    // The import's TEMP objects are made and dropped before and after the copy; a table's rows
    // still being read then belong to a copy that a stop has ended.
    if (RowQueries && ChangesSqliteTempObjects(sql)) RowQueries->InterruptCursors();
    // A transaction that ends takes the TEMP tables made in it along; so may a failed statement
    // (SQLite rolls back by itself on a full disk).
    if (IsTransactionControl(sql)) ImportStatements.TempSchemaMayHaveChanged();
    try {
        QString text = sql;
        QVector<TBoundParam> withKey = params;
        if (!SqliteKeyAsParameter(text, withKey)) return RunRewritten(sql, params, wantRows);
        return RunRewritten(text, withKey, wantRows);
    } catch (...) {
        ImportStatements.TempSchemaMayHaveChanged();
        throw;
    }
}

// A rewritten insert records the row's GUID after it; what the caller learns (rows
// affected) is the insert's own.
TRowSet TSqliteSession::RunRewritten(const QString& sql, const QVector<TBoundParam>& params, bool wantRows) {
    const TSqliteRewrite* found = Handle ? ImportStatements.RewriteOf(Handle, sql) : nullptr;
    if (!found) return TQtSession::Run(sql, params, wantRows);
    const TSqliteRewrite rewrite = *found;
    TRowSet rows = TQtSession::Run(rewrite.Statement, params, wantRows);
    if (!rewrite.Record.isEmpty()) TQtSession::Run(rewrite.Record, params, false);
    return rows;
}

// Reads the handle's cursor for the session, naming a failed step as the session names a
// failed statement.
class TSqliteSession::TCursor : public TRowCursor {
public:
    TCursor(TSqliteSession& session, std::unique_ptr<TSqliteRowCursor> inner)
        : Session(session), Watch(session.Lifetime), Inner(std::move(inner)) {}
    const QVector<TColumnInfo>& Columns() const override { return Inner->Columns(); }
    bool Next(QVector<QVariant>& row) override {
        if (Watch.expired()) throw EDatabaseError(QStringLiteral("Подключение к базе данных не открыто"));
        TSqliteFailure failure;
        bool more = false;
        {
            const TStatementScope scope(Session);
            more = Inner->Next(row, failure);
        }
        if (failure.Code != 0) Session.RaiseFailure(failure);
        return more;
    }

private:
    TSqliteSession& Session;
    TSessionWatch Watch;
    std::unique_ptr<TSqliteRowCursor> Inner;
};

bool TSqliteSession::TextForHandle(const QString& sql, const QVector<TBoundParam>& params, QString& text,
                                   QVector<TBoundParam>& bound) {
    text = sql;
    bound = params;
    if (!SqliteKeyAsParameter(text, bound)) {
        text = sql;
        bound = params;
    }
    if (const TSqliteRewrite* rewrite = ImportStatements.RewriteOf(Handle, text)) {
        if (!rewrite->Record.isEmpty()) return false;
        text = rewrite->Statement;
    }
    QStringList rawNames;
    for (const TBoundParam& param : bound)
        if (IsRawText(param.Value)) rawNames << param.Name;
    if (!rawNames.isEmpty()) text = WithTextCasts(text, rawNames);
    return true;
}

std::unique_ptr<TRowCursor> TSqliteSession::OpenCursor(const QString& sql, const QVector<TBoundParam>& params) {
    QString text;
    QVector<TBoundParam> bound;
    if (!RowQueries || !HasStatementText(sql) || !HoldsOneStatement(sql) || !TextForHandle(sql, params, text, bound))
        return TBackendSession::OpenCursor(sql, params);
    const TPositionalText positional = PositionalOf(text);
    std::unique_ptr<TSqliteRowCursor> cursor;
    TSqliteFailure failure;
    {
        const TStatementScope scope(*this);
        failure = RowQueries->OpenCursor(positional.Text, BoundValues(positional.Names, bound), cursor);
    }
    if (failure.Code != 0) RaiseFailure(failure);
    return std::make_unique<TCursor>(*this, std::move(cursor));
}

void TSqliteSession::RaiseFailure(const TSqliteFailure& failure) const {
    RaiseError(QSqlError(failure.Message, failure.Message, QSqlError::StatementError, QString::number(failure.Code)));
}

void TSqliteSession::SetLockWait(bool waitForLocks) {
    ExecuteOnDatabase(Db, QStringLiteral("PRAGMA busy_timeout = %1").arg(waitForLocks ? BusyTimeoutMs() : 0));
}

bool TSqliteSession::TransactionStands() const { return SqliteInTransaction(Db); }

void TSqliteSession::RunStatement(const QString& text, const QVector<TBoundParam>& params, bool wantRows,
                                  TRunResult& result) {
    QStringList rawNames;
    for (const TBoundParam& param : params)
        if (IsRawText(param.Value)) rawNames << param.Name;
    const QString statement = rawNames.isEmpty() ? text : WithTextCasts(text, rawNames);
    if (RowQueries) RunOnHandle(statement, params, wantRows, result);
    else TQtSession::RunStatement(statement, params, wantRows, result);
}

TPositionalText TSqliteSession::PositionalOf(const QString& text) {
    return Remembered<TPositionalText>(Positional, text, [&] { return ToPositionalPlaceholders(text); });
}

void TSqliteSession::RunOnHandle(const QString& text, const QVector<TBoundParam>& params, bool wantRows,
                                 TRunResult& result) {
    const TStatementScope scope(*this);
    const qint64 changesBefore = ChangesSoFar();
    const TPositionalText positional = PositionalOf(text);
    TRowSet rows;
    bool returnedRows = false;
    const TSqliteFailure failure =
        RowQueries->Run(positional.Text, BoundValues(positional.Names, params), rows, returnedRows);
    if (failure.Code != 0) RaiseFailure(failure);
    if (!returnedRows) {
        const int affected = SqliteRowsAffected(Db, changesBefore);
        if (affected >= 0) result.Rows.RowsAffected = qMax(result.Rows.RowsAffected, 0) + affected;
        return;
    }
    if (result.HaveRows || !wantRows) return;
    result.Rows.Columns = rows.Columns;
    result.Rows.Rows = std::move(rows.Rows);
    result.HaveRows = true;
}

QStringList TSqliteSession::StatementsOf(const QString& sql) const {
    return Remembered<QStringList>(Split, sql, [&] { return SplitSqliteStatements(sql); });
}

QVariant TSqliteSession::BindValue(const TBoundParam& param) const { return SqliteBindValueOf(param); }

qint64 TSqliteSession::ChangesSoFar() const { return SqliteTotalChanges(Db); }

int TSqliteSession::RowsAffected(const QSqlQuery&, qint64 changesBefore) const {
    return SqliteRowsAffected(Db, changesBefore);
}

bool TSqliteSession::IsLockWaitExhausted(const QSqlError& error) const {
    const int code = PrimaryCodeOf(error);
    return code == SqliteBusy || code == SqliteLocked;
}

// SQLite says so only in its text (the result code is the general SQLITE_ERROR).
bool TSqliteSession::IsMissingObject(const QSqlError& error) const {
    const QString text = DriverText(error);
    return text.startsWith(QLatin1String("no such table:")) || text.startsWith(QLatin1String("no such column:"));
}

bool TSqliteSession::IsDatabaseFailing(const QSqlError& error) const {
    switch (PrimaryCodeOf(error)) {
    case SqliteNoMemory:
    case SqliteIoError:
    case SqliteCorrupt:
    case SqliteFull:
    case SqliteNotADatabase: return true;
    default: return false;
    }
}

void TSqliteSession::RaiseError(const QSqlError& error) const {
    if (Clock.Fired)
        throw EDatabaseError(QStringLiteral("Превышено время выполнения команды (%1 с)").arg(CommandTimeout));
    TQtSession::RaiseError(error);
}
