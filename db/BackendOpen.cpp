#include "db/BackendOpen.h"

#include "db/DbError.h"
#include "db/OdbcConnection.h"
#include "db/PostgresSession.h"
#include "db/SqliteNative.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <climits>

namespace {

// Seconds that opening a PostgreSQL connection may take.
constexpr int PostgresConnectTimeoutSeconds = 15;

QSqlDatabase AddDatabase(const QString& driver, const QString& name) {
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, name);
    if (db.isValid()) return db;
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
    throw EDatabaseError(QStringLiteral("Драйвер баз данных %1 не установлен").arg(driver));
}

// Removes the connection name (after the last QSqlDatabase object of it is gone) and
// raises the error.
[[noreturn]] void DropAndRaise(QSqlDatabase& db, const QString& name, const QString& message) {
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
    throw EDatabaseError(message);
}

void OpenOrRaise(QSqlDatabase& db, const QString& name) {
    if (!db.open()) DropAndRaise(db, name, DriverText(db.lastError()));
}

}  // namespace

QString DriverText(const QSqlError& error) {
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text() : text;
}

QSqlDatabase OpenSqliteDatabase(const QString& name, const TConnectionParams& params,
                                TSqliteStatementClock* clock, int commandTimeout) {
    const QString path = params.Has(QStringLiteral("Location")) ? params.Location() : params.DataSource();
    if (path.isEmpty())
        throw EDatabaseError(QStringLiteral("В строке подключения не указан файл базы данных SQLite"));
    if (!QFileInfo(path).isFile())
        throw EDatabaseError(QStringLiteral("Файл базы данных SQLite \"%1\" не найден").arg(path));
    QSqlDatabase db = AddDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(SqliteUriOfExistingFile(path));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
    OpenOrRaise(db, name);
    try {
        // A lock held by another connection is waited for as long as a statement may run.
        const int busyMs = commandTimeout > 0 && commandTimeout < INT_MAX / 1000 ? commandTimeout * 1000 : INT_MAX;
        PrepareSqliteConnection(db, clock, busyMs);
    } catch (const EDatabaseError& error) {
        db.close();
        DropAndRaise(db, name, error.message());
    }
    return db;
}

QSqlDatabase OpenMssqlDatabase(const QString& name, const TConnectionParams& params, int commandTimeout) {
    QSqlDatabase db = AddDatabase(QStringLiteral("QODBC"), name);
    // The whole ODBC string goes in the database name; user and password are part of it
    // (Qt would append them unquoted).
    db.setDatabaseName(BuildOdbcConnectionString(params, commandTimeout));
    // FreeTDS takes the time allowed for connecting from the connection timeout.
    db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1")
                             .arg(MssqlLoginTimeoutSeconds));
    OpenOrRaise(db, name);
    return db;
}

QSqlDatabase OpenPostgresDatabase(const QString& name, const TConnectionParams& params) {
    QString host = params.DataSource();
    int port = -1;
    // "host:port", "[v6 address]:port"; a bare IPv6 address has several colons.
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

    QSqlDatabase db = AddDatabase(QStringLiteral("QPSQL"), name);
    if (!host.isEmpty()) db.setHostName(host);
    if (port > 0) db.setPort(port);
    db.setDatabaseName(params.Has(QStringLiteral("Location")) ? params.Location() : params.InitialCatalog());
    if (!params.IntegratedSecurity()) {
        db.setUserName(params.UserId());
        db.setPassword(params.Password());
    }
    db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(PostgresConnectTimeoutSeconds));
    OpenOrRaise(db, name);
    RoutePostgresNotices(db);
    return db;
}

void SetPostgresStatementTimeout(const QSqlDatabase& db, int seconds) {
    QSqlQuery query(db);
    const qlonglong ms = seconds > 0 ? static_cast<qlonglong>(seconds) * 1000 : 0;
    if (!query.exec(QStringLiteral("SET statement_timeout = %1").arg(ms)))
        throw EDatabaseError(DriverText(query.lastError()));
}
