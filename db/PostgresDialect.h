#pragma once
// PostgreSQL answers the catalogue questions from pg_catalog (the tables that unquoted
// names reach through the search path, looked up as the server folds such names), with the
// column names of SQL Server's answers. The GUID column is of type uuid, filled by
// gen_random_uuid() and indexed while it exists.

#include "db/Dialect.h"

class TPostgresDialect : public TDialect {
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
    void RunDeferredChecks(TADOQuery& query) const override;
    void AddForeignKey(TADOQuery& query, const QString& table, const QString& column,
                       const QString& refTable, const QString& refColumn) const override;
    void DropForeignKeys(TADOQuery& query, const QString& table,
                         const QString& refTable) const override;
};
