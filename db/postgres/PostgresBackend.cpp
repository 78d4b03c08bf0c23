// PostgreSQL as a backend: opening a session, naming its database, claiming it.

#include "db/postgres/PostgresBackend.h"

#include "db/DbError.h"
#include "db/ImportClaim.h"
#include "db/QtDatabase.h"
#include "db/postgres/Libpq.h"
#include "db/postgres/PostgresDialect.h"
#include "db/postgres/PostgresSession.h"

namespace {

// A killed client's session would keep its import claim until its statement ends (a long one,
// a trigger that waits); checked every second, the server ends the session, and the claim
// with it, soon after the client is gone. Servers before 14 have no such check: the session
// goes on as before.
void WatchForLostClient(const QSqlDatabase& db) {
    try {
        ExecuteOnDatabase(db, QStringLiteral("SET client_connection_check_interval = 1000"));
    } catch (const EDatabaseError&) {
        // An older server: the claim is then held until the dead client's statement ends.
    }
}

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
                                                        int commandTimeout, int connectTimeout) const {
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
    // libpq's connect_timeout covers the whole opening, the startup and the login exchange
    // included (for each address a host name has). The program names itself, so that another
    // session's holder of the import claim can be told (pg_stat_activity).
    db.setConnectOptions(QStringLiteral("connect_timeout=%1;application_name=%2")
                             .arg(connectTimeout)
                             .arg(PostgresApplicationName));
    OpenQtDatabase(db, qtName);
    RoutePostgresNotices(db);
    WatchForLostClient(db);
    return std::make_unique<TPostgresSession>(db, qtName, commandTimeout);
}

QString PostgresClaimStatement() {
    return QStringLiteral("select case when pg_try_advisory_lock(%1) then 1 else 0 end as claimed")
        .arg(ImportAdvisoryLockKey);
}

QString PostgresReleaseStatement() {
    return QStringLiteral("select pg_advisory_unlock(%1)").arg(ImportAdvisoryLockKey);
}

// The session that holds the claim: its client, its server process and since when it runs.
QString PostgresClaimHolderStatement() {
    const auto key = static_cast<unsigned long long>(ImportAdvisoryLockKey);
    return QStringLiteral(
               "select 'клиент ' || coalesce(host(a.client_addr) || ':' || a.client_port, 'local') || "
               "', процесс сервера ' || a.pid || ', ' || coalesce(nullif(a.application_name, ''), 'без имени') || "
               "', с ' || to_char(a.backend_start, 'DD.MM.YYYY HH24:MI:SS') "
               "from pg_locks l join pg_stat_activity a on a.pid = l.pid "
               "where l.locktype = 'advisory' and l.granted and l.objsubid = 1 and l.classid = %1 and l.objid = %2 "
               "and l.database = (select oid from pg_database where datname = current_database())")
        .arg(key >> 32)
        .arg(key & 0xffffffffULL);
}

std::unique_ptr<TImportClaimHold> TPostgresBackend::TakeImportClaim(TStatementRunner& connection,
                                                                    const TConnectionParams&) const {
    return TakeStatementClaim(connection, PostgresClaimStatement(), PostgresReleaseStatement(),
                              PostgresClaimHolderStatement());
}
