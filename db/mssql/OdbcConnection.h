#pragma once
// Microsoft SQL Server through Qt's QODBC driver and an ODBC driver for SQL Server: FreeTDS
// by default ("FreeTDS" as /etc/odbcinst.ini registers it); the environment variable
// ROAD_IMPORT_MSSQL_ODBC_DRIVER names another (for example "ODBC Driver 18 for SQL Server").
//
// Data Source -> Server, kept as written: both FreeTDS and Microsoft's driver read
// "host,port" and "host\instance" there themselves (FreeTDS asks the SQL Server Browser
// for the port of an instance). Initial Catalog -> Database; User ID / Password -> UID /
// PWD. Integrated Security=SSPI -> Trusted_Connection=Yes: FreeTDS then drops user and
// password and logs in with the user's Kerberos ticket (GSSAPI), so kinit must have been
// run; without a ticket the server refuses the login.

#include "db/ConnectionString.h"

#include <QString>
#include <QtGlobal>

class QSqlQuery;

// The ODBC driver's name: ROAD_IMPORT_MSSQL_ODBC_DRIVER, or "FreeTDS".
QString MssqlOdbcDriverName();

// An ODBC value in braces, "}" doubled, so that no ";" or "}" inside it can end it.
QString OdbcBracedValue(const QString& value);

// The ODBC connection string for the OLE DB parameters. With FreeTDS it also carries
// TDS_Version=7.4, ClientCharset=UTF-8 and Timeout=commandTimeout (FreeTDS's query timeout
// for every statement of the connection; 0: none); other drivers do not know these keywords.
// Without a TDS version FreeTDS (freetds.conf's "tds version = auto") tries Sybase's 5.0
// after a 7.x login that timed out, and against a server that never answers it then waits
// for good in its disconnect; SQL Server answers a 7.4 login in its own version.
QString BuildOdbcConnectionString(const TConnectionParams& params, int commandTimeout);

// Sets SQL_ATTR_QUERY_TIMEOUT on the prepared statement of a QODBC query (Qt has no
// setting of its own for it); seconds <= 0 leaves the statement without a limit. Does
// nothing when the driver manager cannot be reached. Statements run directly (those
// without parameters) have no handle before they run: the connection's Timeout keyword
// covers them with FreeTDS, and a CommandTimeout changed after opening does not.
void SetOdbcQueryTimeout(const QSqlQuery& query, int seconds);

// A function of the ODBC driver manager that Qt's QODBC plugin already uses, looked up at
// run time so that the library does not link the driver manager itself; null when it
// cannot be reached.
QFunctionPointer OdbcFunction(const char* name);

// The ODBC statement handle of a QODBC query, or null.
void* OdbcStatementHandle(const QSqlQuery& query);
