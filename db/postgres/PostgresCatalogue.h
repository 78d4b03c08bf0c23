#pragma once
// How PostgreSQL's catalogue is asked about the tables that this system's statements reach.
// The statements name tables and columns unquoted, and PostgreSQL folds an unquoted name to
// lower case in ASCII letters only ("GUID" is stored as guid, "Титул" stays as it is). A name
// is looked up in the catalogue as the server would fold it, so the catalogue finds exactly the
// table that the statements will reach.

#include <QString>

// The name as the server stores it when written unquoted.
QString PostgresFoldedName(const QString& name);

// "column = '<folded name>'".
QString PostgresSameName(const QString& column, const QString& name);

// The condition that the pg_class row under alias is a table an unquoted name reaches: an
// ordinary or partitioned table found first on the search path, outside the system catalogue.
QString PostgresUserTable(const QString& alias);

// Leads the catalogue questions that the copier asks again and again with nothing in between
// (a table's key, its references column by column): the session answers such a repeat from its
// last answer (PostgresSession.h).
inline const QString PostgresRepeatedQuestion = QStringLiteral("/* catalogue */ ");
