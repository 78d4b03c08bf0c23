#pragma once
// The temporary GUID column of an import on SQLite, realised by the connection's role so that
// its cost follows the rows copied, not the size of the databases:
// - source: a VIRTUAL column computed from the table's integer primary key behind a prefix
//   drawn afresh for every table and run. Distinct in every row, never NULL, shaped like
//   newid()'s text; adding and dropping it touch no row. A table without such a key gets the
//   stored column and its fill.
// - destination: the stored column and its index, without values in the rows already there.
// A VIRTUAL GUID column left behind by an interrupted run is dropped and made anew. Both raise
// EDatabaseError on failure, as the plain statements do.

#include "db/ConnectionRole.h"

#include <QString>

class TStatementRunner;

// Adds the column to the user table; addStatement is the plain ADD of a stored column.
void AddSqliteGuidColumn(TStatementRunner& runner, const QString& table, TConnectionRole role, const QString& addStatement);

// Gives the column its values and index; fillStatement fills every row and makes the index,
// indexStatement only makes the index.
void FillSqliteGuidColumn(TStatementRunner& runner, const QString& table, TConnectionRole role,
                          const QString& fillStatement, const QString& indexStatement);
