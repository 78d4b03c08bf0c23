#pragma once

#include "db/Dialect.h"

class TMssqlDialect : public TDialect {
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

    // "if exists (... object_id(N'[dbo].[T]') ... 'IsUserTable') = 1)", followed directly by
    // the guarded statement.
    static QString GuardPrefix(const QString& table);
};
