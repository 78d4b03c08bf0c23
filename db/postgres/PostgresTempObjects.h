#pragma once
// The import's GUID columns and section links on PostgreSQL live in the import's own session,
// never in the database: nothing another session sees changes, a source that the user may
// only read (and make TEMP tables in, as PUBLIC may by default) imports, and nothing costs in
// proportion to the size of a table. Both go with the session, and with a rollback of the
// transaction they were made in.
// - The GUID of a table: a TEMP table pg_temp."road-import GUID: <the table's oid>" ("GUID",
//   then the table's key columns), indexed by "GUID", that records the GUID of every row the
//   session inserted (PostgresImportStatements.h rewrites the statements that name the
//   column); a row read gets a GUID drawn from its key. The oid keeps the name within the 63
//   bytes a name may take, and a name of blanks and a colon is none that the copier's unquoted
//   names can reach, so pg_temp, which the search path reads first, shadows no user table.
// - A foreign key added to a table: an entry of the session's setting road_import.links
//   ("table column refTable refColumn", ";" between entries, names as the server stores
//   them), which the dialect's foreign-key answers join in. A statement can read a setting
//   whether or not it was ever made, as it could not a table.

#include "db/SessionGuids.h"

#include <QString>

class TStatementRunner;

// The name of a table's GUID table without its oid.
extern const QString PostgresGuidTablePrefix;

// The condition that the table of the pg_class row under alias has its GUID in this session.
QString PostgresSessionHasGuid(const QString& alias);

// A FROM item of the session's links: columns tab, col, reftab, refcol, n (the order made).
QString PostgresSessionLinks();

// Whether a statement makes or drops one of the session's GUID tables or links.
bool ChangesPostgresSessionObjects(const QString& sql);

// The GUIDs of the runner's session. A column guid of the table is one that an older version
// of the program left behind; the drop removes it from the table as it did then. The add is
// refused and a drop of nothing fails with the words the server would use, without asking the
// server to alter a table (which would wait for every reader of it on a shared server).
class TPostgresSessionGuids : public TSessionGuids {
public:
    TGuidPlace PlaceOf(TStatementRunner& runner, const QString& table) const override;
    void Add(TStatementRunner& runner, const QString& table) const override;
    void Drop(TStatementRunner& runner, const QString& table) const override;
    [[noreturn]] void RefuseAdd(TStatementRunner& runner, const QString& table, const QString& statement,
                                const TGuidPlace& place) const override;
    [[noreturn]] void RefuseDrop(TStatementRunner& runner, const QString& table,
                                 const QString& statement) const override;
};

// Adds "table.column -> refTable.refColumn" to the session's links; a second call adds a
// second, equal one.
void PostgresAddSessionLink(TStatementRunner& runner, const QString& table, const QString& column,
                            const QString& refTable, const QString& refColumn);
// Removes every link of table that refers to refTable.
void PostgresDropSessionLinks(TStatementRunner& runner, const QString& table, const QString& refTable);
