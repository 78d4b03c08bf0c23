// Running statements through a Qt SQL driver, the shared part of every backend's session.

#include "db/QtSession.h"

#include "db/DatabaseInUse.h"
#include "db/DbError.h"
#include "db/FieldTypeMapping.h"
#include "db/QtDatabase.h"
#include "db/RunEnding.h"
#include "db/SqlText.h"
#include "db/ValueBinding.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

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

TQtSession::TQtSession(const QSqlDatabase& db, const QString& qtName, int commandTimeout, bool keepStatements)
    : Db(db), CommandTimeout(commandTimeout), QtName(qtName), KeepStatements(keepStatements) {}

TQtSession::~TQtSession() {
    Statements.Clear();  // every statement is finalized before its connection closes
    Db.close();
    Db = QSqlDatabase();  // the last handle must be gone before the name is removed
    QSqlDatabase::removeDatabase(QtName);
}

TRowSet TQtSession::Run(const QString& sql, const QVector<TBoundParam>& params, bool wantRows) {
    if (!HasStatementText(sql)) throw EDatabaseError(QStringLiteral("Текст команды не задан"));
    TRunResult result;
    for (const QString& statement : StatementsOf(sql)) RunStatement(statement, params, wantRows, result);
    CompleteColumnTypes(result.Rows);
    return result.Rows;
}

QStringList TQtSession::StatementsOf(const QString& sql) const { return {sql}; }

void TQtSession::RunStatement(const QString& text, const QVector<TBoundParam>& params, bool wantRows,
                              TRunResult& result) {
    const TStatementScope scope(*this);
    const qint64 changesBefore = ChangesSoFar();
    std::unique_ptr<TPreparedStatement> uncached;
    TPreparedStatement* statement = PreparedStatementOf(text, uncached);
    if (!statement) {
        ExecuteBatch(text, wantRows, changesBefore, result);
        return;
    }
    try {
        ExecutePrepared(*statement, params, wantRows, changesBefore, result);
    } catch (...) {
        // A statement that failed is prepared afresh next time rather than trusted again.
        if (!uncached) Statements.Remove(text);
        throw;
    }
}

TPreparedStatement* TQtSession::PreparedStatementOf(const QString& text, std::unique_ptr<TPreparedStatement>& uncached) {
    if (KeepStatements)
        if (TPreparedStatement* cached = Statements.Find(text)) return cached;
    // A statement whose columns follow the schema ("select *") is prepared anew each time:
    // Qt's SQLite driver sizes a row by the columns it knew before the statement was
    // prepared again for a changed schema.
    const bool keep = KeepStatements && !HasStarOutsideQuotes(text);
    TPositionalText positional = ToPositionalPlaceholders(text);
    // Without parameters a server runs the text as it stands, as a plain batch: SQL Server
    // keeps what the batch sets up on the connection, and PostgreSQL prepares no DDL.
    if (positional.Names.isEmpty() && !PreparesEveryStatement()) return nullptr;
    auto statement = std::make_unique<TPreparedStatement>(Db);
    statement->Query.setForwardOnly(true);
    if (!statement->Query.prepare(positional.Text)) RaiseError(statement->Query.lastError());
    statement->Names = std::move(positional.Names);
    if (keep) return Statements.Add(text, std::move(statement));
    uncached = std::move(statement);
    return uncached.get();
}

void TQtSession::ExecutePrepared(TPreparedStatement& statement, const QVector<TBoundParam>& params, bool wantRows,
                                 qint64 changesBefore, TRunResult& result) {
    QSqlQuery& query = statement.Query;
    BeforeExecute(query);
    BindParameters(query, statement.Names, params);
    try {
        if (!query.exec()) RaiseError(query.lastError());
        ReadResults(query, wantRows, changesBefore, result);
    } catch (...) {
        query.finish();
        throw;
    }
    // Reset, not finalized: the statement holds no lock and no result until it runs again.
    query.finish();
}

void TQtSession::ExecuteBatch(const QString& text, bool wantRows, qint64 changesBefore, TRunResult& result) {
    QSqlQuery query(Db);
    query.setForwardOnly(true);
    if (!query.exec(text)) RaiseError(query.lastError());
    ReadResults(query, wantRows, changesBefore, result);
    query.finish();
}

// Parameters are usually given in the order of their placeholders: each is looked for at
// its own position first, then among all.
void TQtSession::BindParameters(QSqlQuery& query, const QStringList& names, const QVector<TBoundParam>& params) const {
    const QVector<QVariant> values = BoundValues(names, params);
    for (int i = 0; i < values.size(); ++i) query.bindValue(i, values[i]);
}

QVector<QVariant> TQtSession::BoundValues(const QStringList& names, const QVector<TBoundParam>& params) const {
    QVector<QVariant> values;
    values.reserve(names.size());
    for (int i = 0; i < names.size(); ++i) {
        const QString& name = names[i];
        const TBoundParam* param = i < params.size() && params[i].Name == name ? &params[i] : FindParam(params, name);
        if (!param) throw EDatabaseError(QStringLiteral("Параметр \"%1\" не найден").arg(name));
        values.append(BindValue(*param));
    }
    return values;
}

QVariant TQtSession::BindValue(const TBoundParam& param) const { return BindValueOf(param); }

int TQtSession::RowsAffected(const QSqlQuery& query, qint64) const { return query.numRowsAffected(); }

void TQtSession::ReadResults(QSqlQuery& query, bool wantRows, qint64 changesBefore, TRunResult& result) const {
    for (;;) {
        if (query.isSelect()) {
            if (wantRows && !result.HaveRows) {
                FetchRows(query, result.Rows);
                result.HaveRows = true;
            }
        } else {
            const int affected = RowsAffected(query, changesBefore);
            if (affected >= 0) result.Rows.RowsAffected = qMax(result.Rows.RowsAffected, 0) + affected;
        }
        if (!ReadsEveryResult()) return;
        if (!query.nextResult()) {
            if (query.lastError().isValid()) RaiseError(query.lastError());
            return;
        }
    }
}

void TQtSession::FetchRows(QSqlQuery& query, TRowSet& rows) const {
    rows.Columns = ColumnsOf(query);
    const int count = static_cast<int>(rows.Columns.size());
    const std::unique_ptr<TFieldReader> reader = ReaderOf(query);
    while (query.next()) {
        QVector<QVariant> row(count);
        for (int i = 0; i < count; ++i) row[i] = reader->Read(i);
        rows.Rows.append(row);
    }
    if (query.lastError().isValid()) RaiseError(query.lastError());
}

QVector<TColumnInfo> TQtSession::ColumnsOf(const QSqlQuery& query) const {
    const QSqlRecord record = query.record();
    QVector<TColumnInfo> columns(record.count());
    for (int i = 0; i < record.count(); ++i) {
        const QSqlField field = record.field(i);
        columns[i].Name = field.name();
        columns[i].DataType = FieldTypeOfDriverField(field);
    }
    return columns;
}

TFieldType TQtSession::FieldTypeOfDriverField(const QSqlField&) const { return TFieldType::ftUnknown; }

std::unique_ptr<TFieldReader> TQtSession::ReaderOf(const QSqlQuery& query) const {
    return std::make_unique<TFieldReader>(query);
}

bool TQtSession::IsLockWaitExhausted(const QSqlError&) const { return false; }

bool TQtSession::IsDatabaseFailing(const QSqlError&) const { return false; }

bool TQtSession::IsMissingObject(const QSqlError&) const { return false; }

void TQtSession::RaiseError(const QSqlError& error) const {
    if (IsLockWaitExhausted(error)) throw EDatabaseInUse(DriverText(error));
    if (IsDatabaseFailing(error)) throw EDatabaseFailing(DriverText(error));
    EDatabaseError refused(DriverText(error));
    refused.MissingObject = IsMissingObject(error);
    throw refused;
}
