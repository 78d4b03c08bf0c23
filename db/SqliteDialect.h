#pragma once
// SQLite answers the catalogue questions from sqlite_master and the table-valued pragmas,
// with the column names of SQL Server's answers. Names are compared and ordered with the
// collation UNICODE_CI (registered on every SQLite connection), as SQL Server's
// case-insensitive collation does.

#include "db/Dialect.h"

class TSqliteDialect : public TDialect {
public:
    TBackendKind Kind() const override;
    bool IsRegularName(const QString& name) const override;
    QString PrimaryKeyStatement(const QString& table) const override;
    QString ForeignKeysStatement(const QString& table) const override;
    QString ColumnListStatement(const QString& table) const override;
    QString ReferencedTablesStatement(const QString& table) const override;
    QString ReferencingTablesStatement(const QString& parent) const override;
    QString DictionaryTablesStatement() const override;
    void ExecuteForUserTable(TADOQuery& query, const QString& table,
                             const QString& statement) const override;
    QString AddGuidColumnStatement(const QString& table) const override;
    QString FillGuidStatement(const QString& table) const override;
    QString DropGuidColumnStatement(const QString& table) const override;
    void AddForeignKey(TADOQuery& query, const QString& table, const QString& column,
                       const QString& refTable, const QString& refColumn) const override;
    void DropForeignKeys(TADOQuery& query, const QString& table,
                         const QString& refTable) const override;
};
