// SQL Server as a backend: opening an ODBC connection, naming its database, claiming it.

#include "db/mssql/MssqlBackend.h"

#include "db/ImportClaim.h"
#include "db/QtDatabase.h"
#include "db/mssql/MssqlDialect.h"
#include "db/mssql/MssqlSession.h"
#include "db/mssql/OdbcConnection.h"

bool TMssqlBackend::ServesProvider(const QString& provider) const {
    for (const char* word : {"SQLOLEDB", "SQLNCLI", "MSOLEDBSQL"})
        if (provider.contains(QLatin1String(word), Qt::CaseInsensitive)) return true;
    return false;
}

TDataLinkFields TMssqlBackend::DataLinkFields(const TConnectionParams& params) const {
    return ServerDataLinkFields(params, params.InitialCatalog());
}

QString TMssqlBackend::DatabaseName(const TConnectionParams& params) const {
    if (params.DataSource().isEmpty() && params.InitialCatalog().isEmpty()) return QString();  // names none
    return params.DataSource() + QLatin1Char('/') + params.InitialCatalog();
}

const TDialect& TMssqlBackend::Dialect() const {
    static const TMssqlDialect dialect;
    return dialect;
}

std::unique_ptr<TBackendSession> TMssqlBackend::Open(const QString& qtName, const TConnectionParams& params,
                                                     int commandTimeout, int connectTimeout) const {
    QSqlDatabase db = AddQtDatabase(QStringLiteral("QODBC"), qtName);
    // The whole ODBC string goes in the database name; user and password are part of it
    // (Qt would append them unquoted).
    db.setDatabaseName(BuildOdbcConnectionString(params, commandTimeout));
    // Set before the driver connects: the login timeout bounds the whole login against a server
    // that accepts and never answers (with FreeTDS given a TDS version, OdbcConnection.h).
    db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1").arg(connectTimeout));
    OpenQtDatabase(db, qtName);
    return std::make_unique<TMssqlSession>(db, qtName, commandTimeout);
}

QString MssqlClaimStatement() {
    return QStringLiteral(
        "DECLARE @result int; EXEC @result = sp_getapplock @Resource = N'road-import', @LockMode = N'Exclusive', "
        "@LockOwner = N'Session', @LockTimeout = 0; SELECT CASE WHEN @result >= 0 THEN 1 ELSE 0 END AS claimed");
}

QString MssqlReleaseStatement() {
    return QStringLiteral("EXEC sp_releaseapplock @Resource = N'road-import', @LockOwner = N'Session'");
}

std::unique_ptr<TImportClaimHold> TMssqlBackend::TakeImportClaim(TStatementRunner& connection,
                                                                 const TConnectionParams&) const {
    return TakeStatementClaim(connection, MssqlClaimStatement(), MssqlReleaseStatement());
}
