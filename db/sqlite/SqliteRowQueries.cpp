// Running a statement for its rows on the sqlite3 handle, text read as its own bytes.

#include "db/sqlite/SqliteRowQueries.h"

#include "db/RawText.h"
#include "db/sqlite/SqliteNative.h"

#include <sqlite3.h>

namespace {

// Statements kept per connection; past this many they are all finalized and prepared anew.
constexpr int MaxPrepared = 256;
// Idle statements of cursors kept per connection, likewise.
constexpr int MaxIdleCursorStatements = 64;

}  // namespace

TSqliteRowQueries::~TSqliteRowQueries() {
    for (sqlite3_stmt* statement : Prepared) sqlite3_finalize(statement);
    for (sqlite3_stmt* statement : IdleCursorStatements) sqlite3_finalize(statement);
    for (TSqliteRowCursor* cursor : std::as_const(Cursors)) {
        sqlite3_finalize(cursor->Statement);
        cursor->Statement = nullptr;
        cursor->Owner = nullptr;
        cursor->HaveRow = false;
    }
}

void TSqliteRowQueries::InterruptCursors() {
    FinalizeIdle();
    for (TSqliteRowCursor* cursor : std::as_const(Cursors)) {
        Finalize(cursor->Statement);
        cursor->Statement = nullptr;
        cursor->Interrupted = cursor->HaveRow;
        cursor->HaveRow = false;
    }
}

TSqliteRowCursor::~TSqliteRowCursor() {
    if (!Owner) return;
    Owner->Cursors.remove(this);
    if (Statement) Owner->ReturnCursorStatement(Text, Statement);
}

// A pointer finalized may come back for another statement: its columns go with it.
void TSqliteRowQueries::Finalize(sqlite3_stmt* statement) {
    Columns.remove(statement);
    sqlite3_finalize(statement);
}

void TSqliteRowQueries::FinalizeIdle() {
    for (sqlite3_stmt* statement : std::as_const(IdleCursorStatements)) Finalize(statement);
    IdleCursorStatements.clear();
}

// Reset, it holds no lock and no result.
void TSqliteRowQueries::ReturnCursorStatement(const QString& text, sqlite3_stmt* statement) {
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (IdleCursorStatements.size() >= MaxIdleCursorStatements) FinalizeIdle();
    IdleCursorStatements.insert(text, statement);
}

sqlite3_stmt* TSqliteRowQueries::CursorStatementOf(const QString& text, TSqliteFailure& failure) {
    const auto idle = IdleCursorStatements.find(text);
    if (idle != IdleCursorStatements.end()) {
        sqlite3_stmt* statement = idle.value();
        IdleCursorStatements.erase(idle);
        return statement;
    }
    return Prepare(text, failure);
}

sqlite3_stmt* TSqliteRowQueries::Prepare(const QString& text, TSqliteFailure& failure) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(Handle, utf8.constData(), static_cast<int>(utf8.size()), &statement, nullptr) != SQLITE_OK) {
        failure = FailureNow();
        sqlite3_finalize(statement);
        return nullptr;
    }
    return statement;
}

const QVector<TColumnInfo>& TSqliteRowQueries::ColumnsOf(sqlite3_stmt* statement) {
    const int preparations = sqlite3_stmt_status(statement, SQLITE_STMTSTATUS_REPREPARE, 0);
    TKnownColumns& known = Columns[statement];
    if (known.Preparations != preparations) {
        known.Columns = SqliteStatementColumns(statement);
        known.Preparations = preparations;
    }
    return known.Columns;
}

bool TSqliteRowCursor::Step(TSqliteFailure& failure) {
    HaveRow = false;
    if (!Statement) return false;
    const int code = sqlite3_step(Statement);
    if (code == SQLITE_ROW) HaveRow = true;
    else if (code != SQLITE_DONE) failure = Owner->FailureNow();
    return HaveRow;
}

bool TSqliteRowCursor::Next(QVector<QVariant>& row, TSqliteFailure& failure) {
    if (Interrupted) {
        // Never taken for the end of the rows: those not read would be lost unseen.
        failure = {SQLITE_ABORT, QStringLiteral("чтение записей прервано изменением схемы соединения")};
        return false;
    }
    if (!HaveRow) return false;
    TSqliteRowQueries::ReadRow(Statement, static_cast<int>(ColumnInfo.size()), row);
    Step(failure);
    return true;
}

TSqliteFailure TSqliteRowQueries::OpenCursor(const QString& positionalText, const QVector<QVariant>& values,
                                             std::unique_ptr<TSqliteRowCursor>& cursor) {
    TSqliteFailure failure;
    sqlite3_stmt* statement = CursorStatementOf(positionalText, failure);
    if (!statement) return failure;
    for (int i = 0; i < values.size(); ++i) Bind(statement, i + 1, values[i]);
    cursor.reset(new TSqliteRowCursor(*this, statement, positionalText));
    Cursors.insert(cursor.get());
    // The columns are read after the first step, as Run reads them.
    cursor->Step(failure);
    cursor->ColumnInfo = ColumnsOf(statement);
    if (failure.Code != 0) cursor.reset();
    return failure;
}

TSqliteFailure TSqliteRowQueries::FailureNow() const {
    return {sqlite3_extended_errcode(Handle), QString::fromUtf8(sqlite3_errmsg(Handle))};
}

sqlite3_stmt* TSqliteRowQueries::StatementOf(const QString& text, TSqliteFailure& failure) {
    if (sqlite3_stmt* kept = Prepared.value(text)) return kept;
    if (Prepared.size() >= MaxPrepared) {
        for (sqlite3_stmt* statement : std::as_const(Prepared)) Finalize(statement);
        Prepared.clear();
    }
    sqlite3_stmt* statement = Prepare(text, failure);
    if (statement) Prepared.insert(text, statement);
    return statement;
}

// As the driver binds: numbers as numbers, bytes as a blob, everything else as its text.
void TSqliteRowQueries::Bind(sqlite3_stmt* statement, int index, const QVariant& value) const {
    if (value.isNull()) {
        sqlite3_bind_null(statement, index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::LongLong:
        sqlite3_bind_int64(statement, index, value.toLongLong());
        return;
    case QMetaType::ULongLong:
        sqlite3_bind_int64(statement, index, static_cast<sqlite3_int64>(value.toULongLong()));
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(statement, index, value.toDouble());
        return;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob64(statement, index, bytes.constData(), static_cast<sqlite3_uint64>(bytes.size()),
                            SQLITE_TRANSIENT);
        return;
    }
    default: {
        const QByteArray text = IsRawText(value) ? value.value<TRawText>().Bytes : value.toString().toUtf8();
        sqlite3_bind_text64(statement, index, text.constData(), static_cast<sqlite3_uint64>(text.size()),
                            SQLITE_TRANSIENT, SQLITE_UTF8);
        return;
    }
    }
}

void TSqliteRowQueries::ReadRow(sqlite3_stmt* statement, int columns, QVector<QVariant>& row) {
    row.resize(columns);
    for (int c = 0; c < columns; ++c) row[c] = ColumnValue(statement, c);
}

QVariant TSqliteRowQueries::ColumnValue(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER: return QVariant(static_cast<qlonglong>(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
        return QByteArray(data ? data : "", sqlite3_column_bytes(statement, column));
    }
    case SQLITE_TEXT: {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        const int size = sqlite3_column_bytes(statement, column);
        if (!data) return QStringLiteral("");
        if (!IsValidUtf8(data, size)) return QVariant::fromValue(TRawText{QByteArray(data, size)});
        const QString text = QString::fromUtf8(data, size);
        return text.isNull() ? QStringLiteral("") : text;
    }
    default: return QVariant();
    }
}

TSqliteFailure TSqliteRowQueries::Run(const QString& positionalText, const QVector<QVariant>& values, TRowSet& rows,
                                      bool& returnedRows) {
    TSqliteFailure failure;
    sqlite3_stmt* statement = StatementOf(positionalText, failure);
    if (!statement) return failure;
    for (int i = 0; i < values.size(); ++i) Bind(statement, i + 1, values[i]);
    // The columns are read after the first step: a schema changed since the statement was
    // prepared makes SQLite prepare it anew there.
    int columns = -1;
    for (;;) {
        const int code = sqlite3_step(statement);
        if (code != SQLITE_DONE && code != SQLITE_ROW) {
            failure = FailureNow();
            break;
        }
        if (columns < 0) {
            columns = sqlite3_column_count(statement);
            returnedRows = columns > 0;
            if (returnedRows) rows.Columns = ColumnsOf(statement);
        }
        if (code == SQLITE_DONE) break;
        QVector<QVariant> row;
        ReadRow(statement, columns, row);
        rows.Rows.append(std::move(row));
    }
    // Reset, not finalized: the statement holds no lock and no result until it runs again.
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return failure;
}
