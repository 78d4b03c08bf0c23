#include "db/SqliteGuidColumns.h"

#include "db/ADOQuery.h"
#include "db/SqlText.h"

#include <QUuid>

namespace {

// pragma_table_xinfo's "hidden" of a column: stored, generated VIRTUAL (GuidColumnKind
// answers -1 for no column).
constexpr int StoredColumn = 0;
constexpr int VirtualColumn = 2;

void Execute(TADOQuery& query, const QString& statement) {
    query.SetSQL(statement);
    query.ExecSQL();
}

int GuidColumnKind(TADOQuery& query, const QString& table) {
    query.SetSQL(QStringLiteral("select coalesce((select hidden from pragma_table_xinfo(") + SqlStringLiteral(table) +
                 QStringLiteral(") where name = 'GUID' collate nocase), -1)"));
    query.Open();
    const int kind = query.Fields(0).AsInteger();
    query.Close();
    return kind;
}

// The table's key when it is the rowid itself (the one INTEGER PRIMARY KEY column of a rowid
// table, ascending): never NULL and distinct in every row. Empty for any other table; a
// WITHOUT ROWID table or a DESC key has an index of origin 'pk'.
QString RowidKeyOf(TADOQuery& query, const QString& table) {
    const QString name = SqlStringLiteral(table);
    query.SetSQL(QStringLiteral("select case when (select count(*) from pragma_table_info(") + name +
                 QStringLiteral(") where pk > 0) = 1 and (select count(*) from pragma_index_list(") + name +
                 QStringLiteral(") where origin = 'pk') = 0 then (select name from pragma_table_info(") + name +
                 QStringLiteral(") where pk = 1 and upper(type) = 'INTEGER') end"));
    query.Open();
    const QString key = query.Fields(0).IsNull() ? QString() : query.Fields(0).AsString();
    query.Close();
    return key;
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

void AddSqliteGuidColumn(TADOQuery& query, const QString& table, TConnectionRole role, const QString& addStatement) {
    // A computed column of an earlier run may share values with rows that run committed to
    // the destination; a fresh prefix cannot. Dropping it touches no row.
    if (GuidColumnKind(query, table) == VirtualColumn)
        Execute(query, QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" DROP COLUMN GUID"));
    const QString key = role == TConnectionRole::Source ? RowidKeyOf(query, table) : QString();
    Execute(query, key.isEmpty() ? addStatement : ComputedGuidStatement(table, key));
}

void FillSqliteGuidColumn(TADOQuery& query, const QString& table, TConnectionRole role,
                          const QString& fillStatement, const QString& indexStatement) {
    const int kind = GuidColumnKind(query, table);
    // The source is read by its key, never searched by GUID: a computed column needs nothing.
    if (kind == VirtualColumn) return;
    // The copier searches the destination by a source row's GUID, which is never NULL here
    // and never a value of an earlier run (fresh newid() values or a fresh prefix). A row
    // already in the destination, whether NULL or left by an interrupted run, can therefore
    // match no search, so only the index is needed.
    if (role == TConnectionRole::Destination && kind == StoredColumn) {
        Execute(query, indexStatement);
        return;
    }
    Execute(query, fillStatement);
}
