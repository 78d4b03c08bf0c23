#include "db/StatementRun.h"

#include "db/BackendOpen.h"
#include "db/DatabaseInUse.h"
#include "db/DbError.h"
#include "db/FieldTypeMapping.h"
#include "db/LockWait.h"
#include "db/OdbcConnection.h"
#include "db/PostgresStatement.h"
#include "db/SqlText.h"
#include "db/SqliteNative.h"
#include "db/StatementCache.h"
#include "db/ValueBinding.h"
#include "db/ValueReading.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// Stops the statement clock on every way out of a statement.
class TClockGuard {
public:
    TClockGuard(TSqliteStatementClock* clock, int seconds) : Clock(clock) {
        if (Clock) Clock->Start(seconds);
    }
    ~TClockGuard() {
        if (Clock) Clock->Stop();
    }
    TClockGuard(const TClockGuard&) = delete;
    TClockGuard& operator=(const TClockGuard&) = delete;

private:
    TSqliteStatementClock* Clock;
};

const TBoundParam* FindParam(const QVector<TBoundParam>& params, const QString& name) {
    for (const TBoundParam& param : params)
        if (param.Name.compare(name, Qt::CaseInsensitive) == 0) return &param;
    return nullptr;
}

bool HasStarOutsideQuotes(const QString& sql) {
    for (int pos = 0; pos < sql.size();) {
        const int skipped = SkipQuotedOrComment(sql, pos);
        if (skipped != pos) {
            pos = skipped;
            continue;
        }
        if (sql[pos++] == QLatin1Char('*')) return true;
    }
    return false;
}

bool IsWholeNumber(const QVariant& value) {
    const int type = value.typeId();
    return type == QMetaType::LongLong || type == QMetaType::Int || type == QMetaType::ULongLong ||
           type == QMetaType::UInt;
}

// Columns typed by their values where the backend could not say, and booleans stored as
// numbers (SQLite keeps bit columns as 0 and 1) read as booleans; any other number in such
// a column stays as it is, so that it is copied unchanged.
void CompleteColumnTypes(TRowSet& result) {
    for (int c = 0; c < result.Columns.size(); ++c) {
        TColumnInfo& column = result.Columns[c];
        if (column.DataType == TFieldType::ftUnknown) column.DataType = FieldTypeOfValues(result.Rows, c);
        if (column.DataType != TFieldType::ftBoolean) continue;
        for (QVector<QVariant>& row : result.Rows)
            if (IsWholeNumber(row[c]) && (row[c].toLongLong() == 0 || row[c].toLongLong() == 1))
                row[c] = QVariant(row[c].toLongLong() != 0);
    }
}

}  // namespace

TStatementRunner::TStatementRunner(const QSqlDatabase& db, TBackendKind kind, int commandTimeout,
                                   TSqliteStatementClock* clock, TStatementCache* cache)
    : Db(db), Kind(kind), CommandTimeout(commandTimeout), Clock(clock), Cache(cache) {}

TRowSet TStatementRunner::Run(const QString& sql, const QVector<TBoundParam>& params, bool wantRows) {
    if (!HasStatementText(sql)) throw EDatabaseError(QStringLiteral("Текст команды не задан"));
    const QStringList statements =
        Kind == TBackendKind::Sqlite ? SplitSqliteStatements(sql) : QStringList{sql};
    for (const QString& statement : statements) {
        if (Kind == TBackendKind::PostgreSql) RunPostgresStatement(statement, params, wantRows);
        else RunStatement(statement, params, wantRows);
    }
    CompleteColumnTypes(Result);
    return Result;
}

void TStatementRunner::RunStatement(const QString& text, const QVector<TBoundParam>& params, bool wantRows) {
    TClockGuard clock(Kind == TBackendKind::Sqlite ? Clock : nullptr, CommandTimeout);
    const qint64 changesBefore = Kind == TBackendKind::Sqlite ? SqliteTotalChanges(Db) : 0;
    std::unique_ptr<TPreparedStatement> uncached;
    TPreparedStatement* statement = PreparedStatementOf(text, uncached);
    if (!statement) {
        ExecuteBatch(text, wantRows, changesBefore);
        return;
    }
    try {
        ExecutePrepared(*statement, params, wantRows, changesBefore);
    } catch (...) {
        // A statement that failed is prepared afresh next time rather than trusted again.
        if (!uncached) Cache->Remove(text);
        throw;
    }
}

TPreparedStatement* TStatementRunner::PreparedStatementOf(const QString& text,
                                                          std::unique_ptr<TPreparedStatement>& uncached) {
    // A statement whose columns follow the schema ("select *") is prepared anew each time:
    // Qt's SQLite driver sizes a row by the columns it knew before the statement was
    // prepared again for a changed schema.
    if (Cache)
        if (TPreparedStatement* cached = Cache->Find(text)) return cached;
    TStatementCache* cache = Cache && !HasStarOutsideQuotes(text) ? Cache : nullptr;
    TPositionalText positional = ToPositionalPlaceholders(text);
    // Without parameters SQL Server and PostgreSQL run the text as it stands, as a plain
    // batch: SQL Server keeps what the batch sets up on the connection, and PostgreSQL
    // prepares no DDL.
    if (positional.Names.isEmpty() && Kind != TBackendKind::Sqlite) return nullptr;
    auto statement = std::make_unique<TPreparedStatement>(Db);
    statement->Query.setForwardOnly(true);
    if (!statement->Query.prepare(positional.Text)) RaiseError(statement->Query.lastError());
    statement->Names = std::move(positional.Names);
    if (cache) return cache->Add(text, std::move(statement));
    uncached = std::move(statement);
    return uncached.get();
}

void TStatementRunner::ExecutePrepared(TPreparedStatement& statement, const QVector<TBoundParam>& params,
                                       bool wantRows, qint64 changesBefore) {
    QSqlQuery& query = statement.Query;
    if (Kind == TBackendKind::SqlServer) SetOdbcQueryTimeout(query, CommandTimeout);
    BindParameters(query, statement.Names, params);
    try {
        if (!query.exec()) RaiseError(query.lastError());
        ReadResults(query, wantRows, changesBefore);
    } catch (...) {
        query.finish();
        throw;
    }
    // Reset, not finalized: the statement holds no lock and no result until it runs again.
    query.finish();
}

void TStatementRunner::ExecuteBatch(const QString& text, bool wantRows, qint64 changesBefore) {
    QSqlQuery query(Db);
    query.setForwardOnly(true);
    if (!query.exec(text)) RaiseError(query.lastError());
    ReadResults(query, wantRows, changesBefore);
    query.finish();
}

// PostgreSQL gets its parameters as literals in the text, and a failed statement inside a
// transaction is undone alone (PostgresStatement.h says why).
void TStatementRunner::RunPostgresStatement(const QString& text, const QVector<TBoundParam>& params, bool wantRows) {
    const QString literalText = PostgresTextWithLiterals(Db, text, params);
    TPostgresStatementGuard guard(Db);
    try {
        RunStatement(literalText, {}, wantRows);
    } catch (...) {
        guard.Failed();
        throw;
    }
    guard.Succeeded();
}

// Parameters are usually given in the order of their placeholders: each is looked for at
// its own position first, then among all.
void TStatementRunner::BindParameters(QSqlQuery& query, const QStringList& names,
                                      const QVector<TBoundParam>& params) {
    for (int i = 0; i < names.size(); ++i) {
        const QString& name = names[i];
        const TBoundParam* param = i < params.size() && params[i].Name == name ? &params[i] : FindParam(params, name);
        if (!param) throw EDatabaseError(QStringLiteral("Параметр \"%1\" не найден").arg(name));
        query.bindValue(i, BindValueOf(*param, Kind));
    }
}

void TStatementRunner::ReadResults(QSqlQuery& query, bool wantRows, qint64 changesBefore) {
    for (;;) {
        if (query.isSelect()) {
            if (wantRows && !HaveRows) {
                FetchRows(query);
                HaveRows = true;
            }
        } else {
            const int affected = Kind == TBackendKind::Sqlite ? SqliteRowsAffected(Db, changesBefore)
                                                              : query.numRowsAffected();
            if (affected >= 0) Result.RowsAffected = qMax(Result.RowsAffected, 0) + affected;
        }
        // A SQL Server batch runs as its results are read: every one is taken, so that the
        // later statements run and their errors are seen.
        if (Kind != TBackendKind::SqlServer) return;
        if (!query.nextResult()) {
            if (query.lastError().isValid()) RaiseError(query.lastError());
            return;
        }
    }
}

void TStatementRunner::FetchRows(QSqlQuery& query) {
    Result.Columns = ColumnsOf(query);
    const int count = static_cast<int>(Result.Columns.size());
    const TFieldReader reader(query, Kind);
    while (query.next()) {
        QVector<QVariant> row(count);
        for (int i = 0; i < count; ++i) row[i] = reader.Read(i);
        Result.Rows.append(row);
    }
    if (query.lastError().isValid()) RaiseError(query.lastError());
}

QVector<TColumnInfo> TStatementRunner::ColumnsOf(const QSqlQuery& query) const {
    const QSqlRecord record = query.record();
    if (Kind == TBackendKind::Sqlite) {
        QVector<TColumnInfo> columns = SqliteResultColumns(query);
        if (columns.size() == record.count()) return columns;
    }
    QVector<TColumnInfo> columns(record.count());
    for (int i = 0; i < record.count(); ++i) {
        const QSqlField field = record.field(i);
        columns[i].Name = field.name();
        switch (Kind) {
        case TBackendKind::SqlServer:
            columns[i].DataType = FieldTypeOfOdbcType(field.typeID(), field.length());
            break;
        case TBackendKind::PostgreSql:
            columns[i].DataType = FieldTypeOfPostgresOid(field.typeID(), field.length());
            break;
        case TBackendKind::Sqlite:
            columns[i].DataType = TFieldType::ftUnknown;  // typed by the values
            break;
        }
    }
    return columns;
}

void TStatementRunner::RaiseError(const QSqlError& error) const {
    if (Kind == TBackendKind::Sqlite && Clock && Clock->Fired)
        throw EDatabaseError(
            QStringLiteral("Превышено время выполнения команды (%1 с)").arg(CommandTimeout));
    if (IsLockWaitExhausted(Kind, error)) throw EDatabaseInUse(DriverText(error));
    throw EDatabaseError(DriverText(error));
}
