#pragma once
// SQLite has no ADD CONSTRAINT / DROP CONSTRAINT: foreign keys are added and dropped by
// editing the table's schema text (a constraint-only change, which leaves the stored rows,
// indexes and triggers as they are). Both run on the runner's connection, inside whatever
// transaction is open there, and raise EDatabaseError on failure.

#include <QString>

class TStatementRunner;

// Adds "FOREIGN KEY (column) REFERENCES refTable (refColumn) ON DELETE NO ACTION
// ON UPDATE NO ACTION" to table; a second call adds a second, equal constraint.
void SqliteAddForeignKey(TStatementRunner& runner, const QString& table, const QString& column,
                         const QString& refTable, const QString& refColumn);

// Removes every foreign key of table that refers to refTable, column constraints and table
// constraints alike.
void SqliteDropForeignKeys(TStatementRunner& runner, const QString& table, const QString& refTable);
