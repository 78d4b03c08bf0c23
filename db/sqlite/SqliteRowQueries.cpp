// Running a statement for its rows on the sqlite3 handle, text read as its own bytes.

#include "db/sqlite/SqliteRowQueries.h"

#include "db/RawText.h"
#include "db/sqlite/SqliteNative.h"

#include <sqlite3.h>

namespace {

// Statements kept per connection; past this many they are all finalized and prepared anew.
constexpr int MaxPrepared = 256;

}  // namespace

TSqliteRowQueries::~TSqliteRowQueries() {
    for (sqlite3_stmt* statement : Prepared) sqlite3_finalize(statement);
}

TSqliteFailure TSqliteRowQueries::FailureNow() const {
    return {sqlite3_extended_errcode(Handle), QString::fromUtf8(sqlite3_errmsg(Handle))};
}

sqlite3_stmt* TSqliteRowQueries::StatementOf(const QString& text, TSqliteFailure& failure) {
    if (sqlite3_stmt* kept = Prepared.value(text)) return kept;
    if (Prepared.size() >= MaxPrepared) {
        for (sqlite3_stmt* statement : Prepared) sqlite3_finalize(statement);
        Prepared.clear();
    }
    const QByteArray utf8 = text.toUtf8();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(Handle, utf8.constData(), static_cast<int>(utf8.size()), &statement, nullptr) != SQLITE_OK) {
        failure = FailureNow();
        sqlite3_finalize(statement);
        return nullptr;
    }
    Prepared.insert(text, statement);
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

QVariant TSqliteRowQueries::ColumnValue(sqlite3_stmt* statement, int column) const {
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
            if (returnedRows) rows.Columns = SqliteStatementColumns(statement);
        }
        if (code == SQLITE_DONE) break;
        QVector<QVariant> row(columns);
        for (int c = 0; c < columns; ++c) row[c] = ColumnValue(statement, c);
        rows.Rows.append(row);
    }
    // Reset, not finalized: the statement holds no lock and no result until it runs again.
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return failure;
}
