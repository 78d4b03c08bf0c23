// Rewriting the import's statements on SQLite: those that carry the GUID column, so that the
// column lives in the connection's TEMP schema rather than in the file, and the section
// link's clearing.

#include "db/sqlite/SqliteImportStatements.h"

#include "db/ImportStatementShapes.h"
#include "db/SqlText.h"
#include "db/sqlite/SqliteTempObjects.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUuid>
#include <sqlite3.h>

namespace {

// Texts met by one connection: a table's statements, and the selections of single rows that
// nested copies run. Beyond this many the analyses are made afresh.
constexpr int MaxEntries = 4096;

QString RowKeyOf(const TSqliteRowIdentity& identity) {
    return identity.HasRowid ? QStringLiteral("rowid") : SqlQuotedName(identity.KeyColumns.value(0));
}

TSqliteRowIdentity ReadIdentity(sqlite3* handle, const QString& table) {
    TSqliteRowIdentity identity;
    const QByteArray name = table.toUtf8();
    identity.HasRowid = sqlite3_table_column_metadata(handle, "main", name.constData(), "rowid", nullptr, nullptr,
                                                      nullptr, nullptr, nullptr) == SQLITE_OK;
    if (identity.HasRowid) return identity;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(handle, "select name from pragma_table_info(?1, 'main') where pk > 0 order by pk", -1,
                           &statement, nullptr) != SQLITE_OK)
        return identity;
    sqlite3_bind_text(statement, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    while (sqlite3_step(statement) == SQLITE_ROW)
        identity.KeyColumns << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return identity;
}

TSqliteRowIdentity IdentityOf(sqlite3* handle, const QString& table, QHash<QString, TSqliteRowIdentity>& known) {
    const auto found = known.constFind(table);
    if (found != known.constEnd()) return *found;
    return *known.insert(table, ReadIdentity(handle, table));
}

// newid()'s 8-4-4-4-12 shape: the connection's prefix, then the row id in hexadecimal (or
// the primary key's text), so that the same row reads the same GUID.
QString ReadGuidExpression(const QString& prefix, const TSqliteRowIdentity& identity) {
    if (identity.HasRowid) return SqlStringLiteral(prefix) + QStringLiteral(" || printf('%012X', rowid)");
    QStringList parts;
    for (const QString& column : identity.KeyColumns) parts << QStringLiteral("quote(") + SqlQuotedName(column) + QLatin1Char(')');
    return SqlStringLiteral(prefix) + QStringLiteral(" || hex(") + parts.join(QStringLiteral(" || ',' || ")) + QLatin1Char(')');
}

}  // namespace

TSqliteImportStatements::TSqliteImportStatements()
    : Prefix(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().left(24)) {}

const TSqliteRewrite* TSqliteImportStatements::RewriteOf(sqlite3* handle, const QString& sql) {
    auto entry = Entries.constFind(sql);
    if (entry == Entries.constEnd()) {
        // Making or dropping a GUID of the connection may follow a change of the file's
        // tables (another program's, between two runs): what was learned of them is dropped.
        if (ChangesSqliteTempObjects(sql)) {
            Entries.clear();
            Identities.clear();
            TempSchemaMayHaveChanged();
            return nullptr;
        }
        if (Entries.size() >= MaxEntries) Entries.clear();
        entry = Entries.insert(sql, Analyse(handle, sql));
    }
    if (!entry->Rewritten) return nullptr;
    // A GUID statement applies while the table's GUID lives in the connection; asked of the
    // schema SQLite holds in memory, which follows every rollback.
    if (!entry->GuidTable.isEmpty() && FoundIn.value(entry->GuidTable, -1) != Generation) {
        if (sqlite3_table_column_metadata(handle, "temp", entry->GuidTable.constData(), nullptr, nullptr, nullptr, nullptr,
                                          nullptr, nullptr) != SQLITE_OK)
            return nullptr;
        FoundIn.insert(entry->GuidTable, Generation);
    }
    return &entry->Rewrite;
}

TSqliteImportStatements::TEntry TSqliteImportStatements::Analyse(sqlite3* handle, const QString& sql) {
    TEntry entry;
    if (const std::optional<TClearingShape> clearing = ClearingShapeOf(sql)) {
        if (!IdentityOf(handle, clearing->Table, Identities).HasRowid) return entry;
        entry.Rewritten = true;
        entry.Rewrite.Statement = QStringLiteral("Update ") + clearing->Table + QStringLiteral(" Set ") + clearing->Column +
                                  QStringLiteral(" = NULL Where rowid in (select rowid from ") + clearing->Table +
                                  QStringLiteral(" Where ") + clearing->Column + QStringLiteral(" not in (") +
                                  clearing->Selection + QStringLiteral("))");
        return entry;
    }
    return AnalyseGuidStatement(handle, sql);
}

TSqliteImportStatements::TEntry TSqliteImportStatements::AnalyseGuidStatement(sqlite3* handle, const QString& sql) {
    TEntry entry;
    if (!NamesGuid(sql)) return entry;
    const std::optional<TInsertShape> insert = InsertShapeOf(sql);
    const QString updated = insert ? QString() : UpdatedTableOf(sql);
    const std::optional<TSelectShape> select = insert || !updated.isEmpty() ? std::nullopt : SelectShapeOf(sql);
    const QString table = insert ? insert->Table : !updated.isEmpty() ? updated : select ? select->Table : QString();
    if (table.isEmpty()) return entry;
    const QString guidTable = SqliteTempName(SqliteGuidTableName(table));
    const TSqliteRowIdentity identity = IdentityOf(handle, table, Identities);
    QString statement = sql;
    QString record;

    if (insert) {
        QStringList columns = insert->Columns;
        QStringList values = insert->Values;
        const int at = GuidIndexOf(columns);
        if (at < 0 || columns.size() != values.size()) return entry;
        const QString guidValue = values.takeAt(at);
        columns.removeAt(at);
        const int key = identity.HasRowid ? -1 : static_cast<int>(columns.indexOf(identity.KeyColumns.value(0), 0));
        const QString row = identity.HasRowid ? QStringLiteral("last_insert_rowid()")
                            : key >= 0        ? values[key]
                                              : QStringLiteral("NULL");
        statement = InsertText(table, columns, values);
        record = QStringLiteral("INSERT INTO ") + guidTable + QStringLiteral(" (GUID, Row) VALUES(") + guidValue +
                 QStringLiteral(", ") + row + QLatin1Char(')');
    } else {
        if (select) {
            TSelectShape read = *select;
            const int at = GuidIndexOf(read.Items);
            if (at >= 0) {
                read.Items[at] = ReadGuidExpression(Prefix, identity) + QStringLiteral(" as GUID");
                statement = SelectText(read);
            }
        }
        // "=": one row at most, as the copier takes the first row found; an IN would build a
        // table for every probe.
        statement = WithGuidConditions(statement, [&](const QString& value) {
            return QLatin1Char('(') + RowKeyOf(identity) + QStringLiteral(" = (select Row from ") + guidTable +
                   QStringLiteral(" where GUID = ") + value + QStringLiteral("))");
        });
    }
    if (statement == sql) return entry;
    entry.Rewritten = true;
    entry.GuidTable = SqliteGuidTableName(table).toUtf8();
    entry.Rewrite = {statement, record};
    return entry;
}
