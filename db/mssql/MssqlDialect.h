#pragma once
// Microsoft SQL Server's catalogue and schema changes, sent exactly as the servers of the
// road-inventory system expect them.

#include "db/Dialect.h"

#include <QSet>

class TMssqlDialect : public TDialect {
public:
    bool IsRegularName(const QString& name) const override;
    QString PrimaryKeyStatement(const QString& table) const override;
    QString ForeignKeysStatement(const QString& table) const override;
    QString ColumnListStatement(const QString& table) const override;
    QString ReferencedTablesStatement(const QString& table) const override;
    QString ReferencingTablesStatement(const QString& parent) const override;
    QString DictionaryTablesStatement() const override;
    QString UserTablesStatement() const override;
    // "SELECT XACT_STATE()": 1 stands, -1 cannot commit, 0 none open.
    QString TransactionStateStatement() const override;
    void ExecuteForUserTable(TStatementRunner& runner, const QString& table,
                             const QString& statement) const override;
    QString AddGuidColumnStatement(const QString& table) const override;
    QString FillGuidStatement(const QString& table) const override;
    QString DropGuidColumnStatement(const QString& table) const override;
    void AddForeignKey(TStatementRunner& runner, const QString& table, const QString& column,
                       const QString& refTable, const QString& refColumn) const override;
    void DropForeignKeys(TStatementRunner& runner, const QString& table,
                         const QString& refTable) const override;
    // "if exists (... object_id(N'[dbo].[T]') ... 'IsUserTable') = 1)", followed directly by
    // the guarded statement.
    static QString GuardPrefix(const QString& table);
};

// Transact-SQL's reserved keywords, in upper case.
const QSet<QString>& MssqlReservedWords();
