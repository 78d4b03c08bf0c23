#pragma once
// PostgreSQL answers the catalogue questions from pg_catalog (the tables that unquoted
// names reach through the search path, looked up as the server folds such names), with the
// column names of SQL Server's answers. The import's GUID columns and section link live in
// the session, not in the database (PostgresTempObjects.h); the answers include them.

#include "db/Dialect.h"

#include <QSet>

class TPostgresDialect : public TDialect {
public:
    bool IsRegularName(const QString& name) const override;
    QString PrimaryKeyStatement(const QString& table) const override;
    QString ForeignKeysStatement(const QString& table) const override;
    QString ColumnListStatement(const QString& table) const override;
    QString ReferencedTablesStatement(const QString& table) const override;
    QString ReferencingTablesStatement(const QString& parent) const override;
    QString DictionaryTablesStatement() const override;
    QString UserTablesStatement() const override;
    void ExecuteForUserTable(TStatementRunner& runner, const QString& table,
                             const QString& statement) const override;
    QString AddGuidColumnStatement(const QString& table) const override;
    QString FillGuidStatement(const QString& table) const override;
    QString DropGuidColumnStatement(const QString& table) const override;
    void RunDeferredChecks(TStatementRunner& runner) const override;
    void AddForeignKey(TStatementRunner& runner, const QString& table, const QString& column,
                       const QString& refTable, const QString& refColumn) const override;
    void DropForeignKeys(TStatementRunner& runner, const QString& table,
                         const QString& refTable) const override;
};

// PostgreSQL's reserved keywords, and those that cannot name a column or table, in upper case.
const QSet<QString>& PostgresReservedWords();
