#pragma once
// The statements of the catalogue and the schema changes around a run, per backend (each
// backend's folder has its dialect; TBackend::Dialect gives it). The copier and the title
// preparation ask their questions through these, so their code stays the same for every
// backend. Catalogue statements return the column names of Microsoft SQL Server's answers,
// so the reading code never changes. What a dialect runs, it runs on the runner its caller
// gives it (StatementRunner.h).

#include <QString>

class TStatementRunner;

class TDialect {
public:
    virtual ~TDialect() = default;

    // Whether a name can be written unquoted in this dialect's statements: only such names
    // read from a catalogue are ever put into one.
    virtual bool IsRegularName(const QString& name) const = 0;

    // Catalogue. Each returns a statement text; the result columns named in the comment.
    // "Column_name": the key columns of a table, in key order.
    virtual QString PrimaryKeyStatement(const QString& table) const = 0;
    // "fkcolumn_name", "pktable_name": every foreign-key column of a table.
    virtual QString ForeignKeysStatement(const QString& table) const = 0;
    // "name": the columns of a user table, in catalogue order.
    virtual QString ColumnListStatement(const QString& table) const = 0;
    // "name", "Name1": the user tables (Name1) that the user table refers to.
    virtual QString ReferencedTablesStatement(const QString& table) const = 0;
    // "name", "Name1": the user tables (name) that refer to parent, ascending by name.
    virtual QString ReferencingTablesStatement(const QString& parent) const = 0;
    // "name": the user tables whose name is like 'Справочник_%'.
    virtual QString DictionaryTablesStatement() const = 0;
    // "name": every user table.
    virtual QString UserTablesStatement() const = 0;
    // A statement whose one value is 1 while the connection's transaction stands and may
    // still commit; empty where the session knows it without asking the server.
    virtual QString TransactionStateStatement() const { return QString(); }

    // Schema changes around a run.
    // Executes statement only when table is a user table; otherwise nothing happens.
    virtual void ExecuteForUserTable(TStatementRunner& runner, const QString& table,
                                     const QString& statement) const = 0;
    virtual QString AddGuidColumnStatement(const QString& table) const = 0;
    virtual QString FillGuidStatement(const QString& table) const = 0;
    virtual QString DropGuidColumnStatement(const QString& table) const = 0;
    // Makes the checks that the open transaction has put off (deferrable constraints) now, so
    // that the tables can be altered; raises when one fails. Nothing where no constraint is
    // ever put off or the checks do not stand in the way of a schema change.
    virtual void RunDeferredChecks(TStatementRunner& runner) const;
    // An unnamed foreign key table(column) -> refTable(refColumn), no action on delete/update.
    virtual void AddForeignKey(TStatementRunner& runner, const QString& table, const QString& column,
                               const QString& refTable, const QString& refColumn) const = 0;
    // Drops every foreign key of table that refers to refTable.
    virtual void DropForeignKeys(TStatementRunner& runner, const QString& table,
                                 const QString& refTable) const = 0;

protected:
    // Runs statement when countStatement, a count of the tables found, answers above zero.
    static void ExecuteWhenCounted(TStatementRunner& runner, const QString& countStatement, const QString& statement);
};
