#include "common/PostgresTestServer.h"

#include "db/ADOConnection.h"

#include <QSqlDatabase>

static QString ServerConnectionString() { return qEnvironmentVariable("ROAD_IMPORT_TEST_PG"); }

QString PostgresServerMissingReason() {
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        return QStringLiteral("the QPSQL driver is not installed (package libqt6sql6-psql)");
    if (ServerConnectionString().isEmpty())
        return QStringLiteral("no PostgreSQL test server: ROAD_IMPORT_TEST_PG is not set "
                              "(scripts/test.sh starts one; scripts/pg-test-server.sh start by hand)");
    return QString();
}

QString PostgresAdminConnectionString() {
    return ServerConnectionString() + QStringLiteral(";Location=postgres");
}

static void RunOnAdminDatabase(const QString& statement) {
    TADOConnection admin;
    admin.ConnectionString = PostgresAdminConnectionString();
    admin.Open();
    admin.Run(statement, {}, false);
    admin.Close();
}

// Test database names are the test's own identifiers; quoting keeps letter case as written.
static QString Quoted(const QString& name) {
    QString text = name;
    return QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QString CreatePostgresDatabase(const QString& name) {
    DropPostgresDatabase(name);
    RunOnAdminDatabase(QStringLiteral("CREATE DATABASE ") + Quoted(name) +
                       QStringLiteral(" TEMPLATE template0 ENCODING 'UTF8'"));
    return ServerConnectionString() + QStringLiteral(";Location=") + name;
}

void DropPostgresDatabase(const QString& name) {
    RunOnAdminDatabase(QStringLiteral("DROP DATABASE IF EXISTS ") + Quoted(name) + QStringLiteral(" WITH (FORCE)"));
}
