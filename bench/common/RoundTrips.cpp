// Connection strings through the latency proxy, and the cost of a wait for the server.

#include "common/RoundTrips.h"

#include "db/ADOConnection.h"
#include "db/ConnectionString.h"
#include "db/StatementRunner.h"

#include <QElapsedTimer>

void ServerAddressOf(const QString& connection, QString& host, int& port) {
    const QString address = ParseConnectionString(connection).DataSource();
    const int colon = address.lastIndexOf(QLatin1Char(':'));
    host = colon < 0 ? address : address.left(colon);
    port = colon < 0 ? 5432 : address.mid(colon + 1).toInt();
    if (host.isEmpty() || host == QLatin1String("localhost")) host = QStringLiteral("127.0.0.1");
}

QString ThroughProxy(const QString& connection, int port) {
    // A later pair overrides an earlier one of the same name.
    return connection + QStringLiteral(";Data Source=127.0.0.1:%1").arg(port);
}

double OneRowQuerySeconds(const QString& connection, int queries) {
    TADOConnection database;
    database.ConnectionString = connection;
    database.Open();
    for (int i = 0; i < 20; ++i) ScalarOf(database, QStringLiteral("select 1"));
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < queries; ++i) ScalarOf(database, QStringLiteral("select 1"));
    return clock.nsecsElapsed() / 1e9;
}
