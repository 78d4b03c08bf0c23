// PostgreSQL as a backend: opening a session, naming its database, claiming it.

#include "db/postgres/PostgresBackend.h"

#include "db/ImportClaim.h"
#include "db/QtDatabase.h"
#include "db/postgres/Libpq.h"
#include "db/postgres/PostgresDialect.h"
#include "db/postgres/PostgresSession.h"

namespace {

// Seconds that opening a PostgreSQL connection may take.
constexpr int PostgresConnectTimeoutSeconds = 15;

QString DatabaseOf(const TConnectionParams& params) {
    return params.Has(QStringLiteral("Location")) ? params.Location() : params.InitialCatalog();
}

// "host:port", "[v6 address]:port"; a bare IPv6 address has several colons.
void SplitHostAndPort(QString& host, int& port) {
    port = -1;
    const int colon = host.lastIndexOf(QLatin1Char(':'));
    const bool bracketed = host.startsWith(QLatin1Char('['));
    if (colon > 0 && (host.count(QLatin1Char(':')) == 1 || (bracketed && host[colon - 1] == QLatin1Char(']')))) {
        bool ok = false;
        const int parsed = host.mid(colon + 1).toInt(&ok);
        if (ok) {
            port = parsed;
            host = host.left(colon);
        }
    }
    if (bracketed && host.endsWith(QLatin1Char(']'))) host = host.mid(1, host.size() - 2);
}

}  // namespace

bool TPostgresBackend::ServesProvider(const QString& provider) const {
    return provider.contains(QLatin1String("PostgreSQL"), Qt::CaseInsensitive);
}

TDataLinkFields TPostgresBackend::DataLinkFields(const TConnectionParams& params) const {
    return ServerDataLinkFields(params, params.Location());
}

QString TPostgresBackend::DatabaseName(const TConnectionParams& params) const {
    return params.DataSource() + QLatin1Char('/') + DatabaseOf(params);
}

const TDialect& TPostgresBackend::Dialect() const {
    static const TPostgresDialect dialect;
    return dialect;
}

std::unique_ptr<TBackendSession> TPostgresBackend::Open(const QString& qtName, const TConnectionParams& params,
                                                        int commandTimeout) const {
    QString host = params.DataSource();
    int port = -1;
    SplitHostAndPort(host, port);
    QSqlDatabase db = AddQtDatabase(QStringLiteral("QPSQL"), qtName);
    if (!host.isEmpty()) db.setHostName(host);
    if (port > 0) db.setPort(port);
    db.setDatabaseName(DatabaseOf(params));
    if (!params.IntegratedSecurity()) {
        db.setUserName(params.UserId());
        db.setPassword(params.Password());
    }
    db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(PostgresConnectTimeoutSeconds));
    OpenQtDatabase(db, qtName);
    RoutePostgresNotices(db);
    return std::make_unique<TPostgresSession>(db, qtName, commandTimeout);
}

QString PostgresClaimStatement() {
    return QStringLiteral("select case when pg_try_advisory_lock(%1) then 1 else 0 end as claimed")
        .arg(ImportAdvisoryLockKey);
}

QString PostgresReleaseStatement() {
    return QStringLiteral("select pg_advisory_unlock(%1)").arg(ImportAdvisoryLockKey);
}

std::unique_ptr<TImportClaimHold> TPostgresBackend::TakeImportClaim(TStatementRunner& connection,
                                                                    const TConnectionParams&) const {
    return TakeStatementClaim(connection, PostgresClaimStatement(), PostgresReleaseStatement());
}
