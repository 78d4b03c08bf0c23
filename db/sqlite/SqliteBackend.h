#pragma once
// SQLite, the embedded default: a database file reached through Qt's QSQLITE driver.
// Provider=SQLite; the file is Location, or Data Source when Location is absent. A file
// that does not exist is never created ("Файл базы данных SQLite \"path\" не найден"); an
// empty file is a valid empty database. Every connection has newid(), the collation
// UNICODE_CI and foreign keys switched on (SqliteNative.h).

#include "db/Backend.h"

class TSqliteBackend : public TBackend {
public:
    QString Id() const override { return QStringLiteral("sqlite"); }
    bool ServesProvider(const QString& provider) const override;
    QString Caption() const override { return QStringLiteral("Файл SQLite"); }
    QString Provider() const override { return QStringLiteral("SQLite"); }
    bool FileDatabase() const override { return true; }
    TDataLinkFields DataLinkFields(const TConnectionParams& params) const override;
    // The file's full path, links resolved where the file exists.
    QString DatabaseName(const TConnectionParams& params) const override;
    const TDialect& Dialect() const override;
    std::unique_ptr<TBackendSession> Open(const QString& qtName, const TConnectionParams& params,
                                          int commandTimeout, int connectTimeout) const override;
    // A lock on the file "<database file>.import-lock" beside it (SqliteImportClaim.h).
    std::unique_ptr<TImportClaimHold> TakeImportClaim(TStatementRunner& connection,
                                                      const TConnectionParams& params) const override;
};

// The database file a connection string names: Location, or Data Source without it.
QString SqliteFileOf(const TConnectionParams& params);
