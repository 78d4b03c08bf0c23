#include "copier/SchemaIntrospection.h"

#include "copier/CatalogueNames.h"
#include "db/ADOQuery.h"
#include "db/Dialect.h"

#include <QStringList>

namespace {

const QString CommaSeparator = QStringLiteral(", ");

// Runs a catalogue statement and returns the text of one named field of every row, in the
// server's order. The query object lives only for this call. Every value is a name that
// goes into statements, so one that cannot be written unquoted raises.
QStringList ReadCatalogueField(TADOConnection& connection, const QString& statement, const QString& field) {
    TADOQuery query(&connection);
    query.SetSQL(statement);
    query.Open();
    QStringList values;
    while (!query.Eof()) {
        values.append(query.FieldByName(field).AsString());
        RequireWritableName(values.last(), connection);
        query.Next();
    }
    query.Close();
    return values;
}

}  // namespace

QString GetPrimaryKeyColumn(const QString& table, TADOConnection& connection) {
    // Of a key of several columns only the first one counts.
    const QStringList keys =
        ReadCatalogueField(connection, connection.Dialect().PrimaryKeyStatement(table), QStringLiteral("Column_name"));
    return keys.isEmpty() ? QString() : keys.first();
}

QString GetReferencedTable(const QString& table, const QString& column, TADOConnection& connection) {
    TADOQuery query(&connection);
    query.SetSQL(connection.Dialect().ForeignKeysStatement(table));
    query.Open();
    QString referenced;
    // Every row is looked at: when several keys use the column, the last one wins.
    while (!query.Eof()) {
        if (query.FieldByName(QStringLiteral("fkcolumn_name")).AsString() == column)
            referenced = query.FieldByName(QStringLiteral("pktable_name")).AsString();
        query.Next();
    }
    query.Close();
    if (!referenced.isEmpty()) RequireWritableName(referenced, connection);
    return referenced;
}

QString GetColumnList(const QString& table, TADOConnection& connection, const QString& firstColumn) {
    const QString key = firstColumn.isEmpty() ? GetPrimaryKeyColumn(table, connection) : firstColumn;
    QString result = key;
    const QStringList columns =
        ReadCatalogueField(connection, connection.Dialect().ColumnListStatement(table), QStringLiteral("name"));
    for (const QString& column : columns)
        if (column != key) result += CommaSeparator + column;
    // Without a key the list starts with the separator of the first column.
    if (!result.isEmpty() && result.startsWith(QLatin1Char(','))) result.remove(0, 2);
    return result;
}

QString GetDefaultSelection(const QString& table, TADOConnection& connection) {
    return QStringLiteral("select ") + GetPrimaryKeyColumn(table, connection) + QStringLiteral(" from ") + table;
}

void SplitList(const QString& commaList, TStringList& list) {
    list.Clear();
    QString work = commaList + CommaSeparator;
    while (!work.isEmpty()) {
        const int separator = work.indexOf(CommaSeparator);
        list.Add(work.left(separator));
        work.remove(0, separator + CommaSeparator.size());
    }
}

void CollectReferencedTables(const QString& table, TStringList& list, TADOConnection& connection) {
    const QStringList referenced = ReadCatalogueField(
        connection, connection.Dialect().ReferencedTablesStatement(table), QStringLiteral("Name1"));
    for (const QString& name : referenced) {
        // A reference of the table to itself is no dependency; each name is listed once.
        if (list.Contains(name) || name == table) continue;
        list.Add(name);
        CollectReferencedTables(name, list, connection);
    }
}

void BuildDependencyLists(const TStringList& tables, TStringList& dependencies, TADOConnection& connection) {
    dependencies.Clear();
    for (int i = 0; i < tables.Count(); ++i) {
        TStringList referenced;
        CollectReferencedTables(tables[i], referenced, connection);
        dependencies.Add(referenced.Strings().join(CommaSeparator));
    }
}

void OrderByDependencies(const TStringList& tables, TStringList& dependencies, TStringList& order) {
    TStringList work = tables;
    order.Clear();
    int i = 0;
    while (!work.IsEmpty() && i < work.Count()) {
        TStringList needed;
        SplitList(i < dependencies.Count() ? dependencies[i] : QString(), needed);
        bool ready = true;
        for (int w = 0; w < work.Count() && ready; ++w)
            if (needed.Contains(work[w])) ready = false;
        if (ready) {
            order.Add(work[i], work.Mark(i));
            work.Delete(i);
            if (i < dependencies.Count()) dependencies.Delete(i);
            i = 0;
        } else {
            ++i;
        }
    }
}
