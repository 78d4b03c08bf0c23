#pragma once
// PostgreSQL through Qt's QPSQL driver. A Provider value that contains "PostgreSQL";
// Data Source -> host[:port], Location -> database (Initial Catalog when Location is
// absent), User ID / Password unless Integrated Security. The server's notices go to the
// diagnostic log (Libpq.h).

#include "db/Backend.h"

class TPostgresBackend : public TBackend {
public:
    QString Id() const override { return QStringLiteral("postgres"); }
    bool ServesProvider(const QString& provider) const override;
    QString Caption() const override { return QStringLiteral("PostgreSQL"); }
    QString Provider() const override { return QStringLiteral("PostgreSQL OLE DB Provider"); }
    bool FileDatabase() const override { return false; }
    TDataLinkFields DataLinkFields(const TConnectionParams& params) const override;
    // "host:5432/roads".
    QString DatabaseName(const TConnectionParams& params) const override;
    const TDialect& Dialect() const override;
    std::unique_ptr<TBackendSession> Open(const QString& qtName, const TConnectionParams& params,
                                          int commandTimeout, int connectTimeout) const override;
    // A session advisory lock (ImportAdvisoryLockKey) of the run's connection.
    std::unique_ptr<TImportClaimHold> TakeImportClaim(TStatementRunner& connection,
                                                      const TConnectionParams& params) const override;
};

// The application_name of the program's sessions.
inline constexpr const char* PostgresApplicationName = "road-import";

// The advisory lock key of the import claim (the bytes of "RoadImpt").
constexpr long long ImportAdvisoryLockKey = 5940073516881506420LL;

// The statements of the import claim.
QString PostgresClaimStatement();
QString PostgresReleaseStatement();
// One row, one text: the session holding the claim ("клиент 127.0.0.1:40102, процесс сервера
// 4242, road-import, с 09.12.2026 10:00:00").
QString PostgresClaimHolderStatement();
