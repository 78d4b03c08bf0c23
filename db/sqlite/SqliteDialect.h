#pragma once
// SQLite answers the catalogue questions from sqlite_master and the table-valued pragmas,
// with the column names of SQL Server's answers. Names are compared and ordered with the
// collation UNICODE_CI (registered on every SQLite connection), as SQL Server's
// case-insensitive collation does. The import's GUID columns and section link live in the
// connection, not in the file (SqliteTempObjects.h); the answers include them.

#include "db/Dialect.h"

#include <QSet>

class TSqliteDialect : public TDialect {
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
    void AddForeignKey(TStatementRunner& runner, const QString& table, const QString& column,
                       const QString& refTable, const QString& refColumn) const override;
    void DropForeignKeys(TStatementRunner& runner, const QString& table,
                         const QString& refTable) const override;
};

// Every keyword the linked SQLite library knows, in upper case; SQLite takes some of them as
// names, but which ones depends on where they stand, so none is taken unquoted.
const QSet<QString>& SqliteReservedWords();
