#pragma once
// What the copier asks of the source catalogue: key column, references, columns, the
// tables a table depends on, and an order of tables by their references. Nothing is cached;
// every call asks again. Errors of the catalogue queries reach the caller.

#include "support/StringList.h"

#include <QString>

class TADOConnection;

QString GetPrimaryKeyColumn(const QString& table, TADOConnection& connection);
QString GetReferencedTable(const QString& table, const QString& column, TADOConnection& connection);
QString GetColumnList(const QString& table, TADOConnection& connection, const QString& firstColumn);
QString GetDefaultSelection(const QString& table, TADOConnection& connection);
void SplitList(const QString& commaList, TStringList& list);
void CollectReferencedTables(const QString& table, TStringList& list, TADOConnection& connection);
void BuildDependencyLists(const TStringList& tables, TStringList& dependencies, TADOConnection& connection);
void OrderByDependencies(const TStringList& tables, TStringList& dependencies, TStringList& order);
