#pragma once
// The import's temporary GUID columns and section links on SQLite live in the connection's
// TEMP schema, never in the database file: a killed run leaves nothing behind, and nothing
// costs in proportion to the size of a table.
// - The GUID of a table: a TEMP table "road-import GUID: <table>" (GUID, Row) that records
//   the GUID of every row the connection inserted (SqliteImportStatements.h rewrites the
//   statements that name the column); a row read gets a GUID drawn from its row id.
// - A foreign key added to a table: a TEMP table "road-import links: <table>" that declares
//   it; the dialect's foreign-key answers join these in.
// The names cannot be written unquoted, so no statement of the copier can ever name them.
// All raise EDatabaseError on failure.

#include "db/SessionGuids.h"

#include <QString>

class TStatementRunner;

QString SqliteGuidTableName(const QString& table);
// Whether a statement makes or drops one of these objects.
bool ChangesSqliteTempObjects(const QString& sql);
QString SqliteLinkTableName(const QString& table);
// A TEMP object's name quoted, with its schema: temp."...".
QString SqliteTempName(const QString& name);

// "select count(*)" of the file's user tables of the name.
QString SqliteUserTableCountStatement(const QString& table);

// The GUIDs of the runner's connection. A column named GUID in the file's table is one that
// an older version of the program left behind; the add and drop statements meet it in the
// file, as they did then.
class TSqliteSessionGuids : public TSessionGuids {
public:
    TGuidPlace PlaceOf(TStatementRunner& runner, const QString& table) const override;
    void Add(TStatementRunner& runner, const QString& table) const override;
    void Drop(TStatementRunner& runner, const QString& table) const override;
    [[noreturn]] void RefuseAdd(TStatementRunner& runner, const QString& table, const QString& statement,
                                const TGuidPlace& place) const override;
    [[noreturn]] void RefuseDrop(TStatementRunner& runner, const QString& table,
                                 const QString& statement) const override;
};

// Adds "FOREIGN KEY (column) REFERENCES refTable (refColumn) ON DELETE NO ACTION ON UPDATE
// NO ACTION" to the connection's links of table; a second call adds a second, equal one.
void SqliteAddConnectionLink(TStatementRunner& runner, const QString& table, const QString& column,
                             const QString& refTable, const QString& refColumn);
// Removes every link of table that refers to refTable.
void SqliteDropConnectionLinks(TStatementRunner& runner, const QString& table, const QString& refTable);
