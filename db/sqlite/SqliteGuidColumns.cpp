// The import's GUID column on SQLite, made by the connection's role.

#include "db/sqlite/SqliteGuidColumns.h"

#include "db/SqlText.h"
#include "db/StatementRunner.h"

#include <QUuid>

namespace {

// pragma_table_xinfo's "hidden" of a column: stored, generated VIRTUAL (GuidColumnKind
// answers -1 for no column).
constexpr int StoredColumn = 0;
constexpr int VirtualColumn = 2;

int GuidColumnKind(TStatementRunner& runner, const QString& table) {
    return ScalarOf(runner, QStringLiteral("select coalesce((select hidden from pragma_table_xinfo(") +
                                SqlStringLiteral(table) + QStringLiteral(") where name = 'GUID' collate nocase), -1)"))
        .toInt();
}

// The table's key when it is the rowid itself (the one INTEGER PRIMARY KEY column of a rowid
// table, ascending): never NULL and distinct in every row. Empty for any other table; a
// WITHOUT ROWID table or a DESC key has an index of origin 'pk'.
QString RowidKeyOf(TStatementRunner& runner, const QString& table) {
    const QString name = SqlStringLiteral(table);
    return ScalarOf(runner, QStringLiteral("select case when (select count(*) from pragma_table_info(") + name +
                 QStringLiteral(") where pk > 0) = 1 and (select count(*) from pragma_index_list(") + name +
                 QStringLiteral(") where origin = 'pk') = 0 then (select name from pragma_table_info(") + name +
                 QStringLiteral(") where pk = 1 and upper(type) = 'INTEGER') end"))
        .toString();
}

QString QuotedName(QString name) {
    name.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// newid()'s 8-4-4-4-12 upper-case text: the first four groups drawn for this column, the key
// in hexadecimal as the last (longer only for keys past 2^48, still one text per key).
QString ComputedGuidStatement(const QString& table, const QString& key) {
    const QString prefix = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().left(24);
    return QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" ADD GUID uniqueidentifier GENERATED ALWAYS AS ('") +
           prefix + QStringLiteral("' || printf('%012X', ") + QuotedName(key) + QStringLiteral(")) VIRTUAL");
}

}  // namespace

void AddSqliteGuidColumn(TStatementRunner& runner, const QString& table, TConnectionRole role, const QString& addStatement) {
    // A computed column of an earlier run may share values with rows that run committed to
    // the destination; a fresh prefix cannot. Dropping it touches no row.
    if (GuidColumnKind(runner, table) == VirtualColumn)
        ExecuteText(runner, QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" DROP COLUMN GUID"));
    const QString key = role == TConnectionRole::Source ? RowidKeyOf(runner, table) : QString();
    ExecuteText(runner, key.isEmpty() ? addStatement : ComputedGuidStatement(table, key));
}

void FillSqliteGuidColumn(TStatementRunner& runner, const QString& table, TConnectionRole role,
                          const QString& fillStatement, const QString& indexStatement) {
    const int kind = GuidColumnKind(runner, table);
    // The source is read by its key, never searched by GUID: a computed column needs nothing.
    if (kind == VirtualColumn) return;
    // The copier searches the destination by a source row's GUID, which is never NULL here
    // and never a value of an earlier run (fresh newid() values or a fresh prefix). A row
    // already in the destination, whether NULL or left by an interrupted run, can therefore
    // match no search, so only the index is needed.
    if (role == TConnectionRole::Destination && kind == StoredColumn) {
        ExecuteText(runner, indexStatement);
        return;
    }
    ExecuteText(runner, fillStatement);
}
