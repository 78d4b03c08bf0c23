#pragma once
// The words each server reserves, in upper case: a name equal to one of them (letter case
// ignored) cannot be written unquoted.

#include <QSet>
#include <QString>

// Transact-SQL's reserved keywords.
const QSet<QString>& MssqlReservedWords();
// PostgreSQL's reserved keywords, and those that cannot name a column or table.
const QSet<QString>& PostgresReservedWords();
// Every keyword the linked SQLite library knows; SQLite takes some of them as names, but
// which ones depends on where they stand, so none is taken.
const QSet<QString>& SqliteReservedWords();
