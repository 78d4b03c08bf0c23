#pragma once
// The connection frame's fields as plain values, and the two conversions between them and
// an OLE DB connection string: the string the frame builds, and the fields it reads back from
// the data-link dialog's answer. Kept free of widgets so that both are testable on their own.

#include <QString>

enum class TServerType { None, MSSQLServer, PostgreSQL, Other };

struct TConnectionFields {
    TServerType ServerType = TServerType::MSSQLServer;
    QString Driver;  // OLEDBDriverEdit: read only for the other server type
    QString ServerName;
    QString DBName;
    bool NTAuthorization = false;  // else SQL-server authorization
    QString UserName;
    QString Password;
};

// The driver text that the server-type buttons write when they become selected.
inline const char* const MSSQLDriver = "SQLOLEDB.1";
inline const char* const PostgreSQLDriver = "PostgreSQL OLE DB Provider";

// Database selector 0: the server's default database; 1: the typed one; other: none. A value
// holding ";" or a double quote, starting with a quote or with blanks around it is written in
// double quotes (inner ones doubled); every other value as typed.
QString BuildConnectionString(const TConnectionFields& fields, unsigned databaseSelector);

// The value of the last pair named key (letter case ignored) in a text ending in ";", read as
// the connections read it (a quoted value whole, unquoted), or empty. A text they cannot read
// gives the value after the last "key=" up to the next ";" (an opening and a closing double
// quote dropped).
QString ExtractConnectionParam(const QString& connectionText, const QString& key);

// The keyword that holds the database name for a driver text: "Location" for PostgreSQL and
// SQLite, "Initial Catalog" for SQL Server, otherwise a key no string holds.
QString DatabaseKeyword(const QString& driver);

// The server type whose button a driver text selects: SQL Server for SQLOLEDB, PostgreSQL
// for PostgreSQL, the other type for any other driver.
TServerType ServerTypeOfDriver(const QString& driver);

// Reads a returned connection string (already ending in ";") into the fields: driver, server
// type (a newly selected SQL Server or PostgreSQL type rewrites the driver), server, database,
// authentication, user and password.
void ReadConnectionText(TConnectionFields& fields, const QString& connectionText);

// Whether a Perl-style pattern occurs anywhere in the text ("." matching line breaks too).
bool PatternFound(const QString& pattern, const QString& text);
