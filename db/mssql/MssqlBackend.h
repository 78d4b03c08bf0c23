#pragma once
// Microsoft SQL Server, the servers of the road-inventory system: a Provider value that
// contains SQLOLEDB, SQLNCLI or MSOLEDBSQL, reached through QODBC and an ODBC driver for SQL
// Server (OdbcConnection.h says how the parameters map).

#include "db/Backend.h"

class TMssqlBackend : public TBackend {
public:
    QString Id() const override { return QStringLiteral("mssql"); }
    bool ServesProvider(const QString& provider) const override;
    QString Caption() const override { return QStringLiteral("Microsoft SQL Server"); }
    QString Provider() const override { return QStringLiteral("SQLOLEDB.1"); }
    bool FileDatabase() const override { return false; }
    TDataLinkFields DataLinkFields(const TConnectionParams& params) const override;
    // "host\instance/roads".
    QString DatabaseName(const TConnectionParams& params) const override;
    const TDialect& Dialect() const override;
    std::unique_ptr<TBackendSession> Open(const QString& qtName, const TConnectionParams& params,
                                          int commandTimeout, int connectTimeout) const override;
    // A session application lock "road-import" (sp_getapplock) of the run's connection.
    std::unique_ptr<TImportClaimHold> TakeImportClaim(TStatementRunner& connection,
                                                      const TConnectionParams& params) const override;
};

// The statements of the import claim; @LockTimeout = 0: a claim held by another session is
// refused at once.
QString MssqlClaimStatement();
QString MssqlReleaseStatement();
