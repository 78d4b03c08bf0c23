#include "common/PostgresSample.h"

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "sample/SampleDatabase.h"

#include <functional>

namespace {

void Execute(TADOConnection& connection, const QString& statement) {
    TADOQuery query(&connection);
    query.SetSQL(statement);
    query.ExecSQL();
}

QString Quoted(const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

void OnServer(const QString& serverConnection, const QString& statement) {
    TADOConnection admin;
    admin.ConnectionString = serverConnection + QStringLiteral(";Location=postgres");
    admin.Open();
    Execute(admin, statement);
}

QString ConnectionOf(const QString& serverConnection, const QString& name) {
    return serverConnection + QStringLiteral(";Location=") + name;
}

}  // namespace

void DropPostgresDatabaseIfAny(const QString& serverConnection, const QString& name) {
    OnServer(serverConnection, QStringLiteral("DROP DATABASE IF EXISTS ") + Quoted(name) + QStringLiteral(" WITH (FORCE)"));
}

QString CopyPostgresDatabase(const QString& serverConnection, const QString& from, const QString& name) {
    DropPostgresDatabaseIfAny(serverConnection, name);
    OnServer(serverConnection, QStringLiteral("CREATE DATABASE ") + Quoted(name) + QStringLiteral(" TEMPLATE ") + Quoted(from));
    return ConnectionOf(serverConnection, name);
}

namespace {

// A new database of the name, replacing one that is there, filled by fill.
QString MakeDatabase(const QString& serverConnection, const QString& name,
                     const std::function<void(TADOConnection&)>& fill) {
    DropPostgresDatabaseIfAny(serverConnection, name);
    OnServer(serverConnection, QStringLiteral("CREATE DATABASE ") + Quoted(name) +
                                   QStringLiteral(" TEMPLATE template0 ENCODING 'UTF8'"));
    TADOConnection connection;
    connection.ConnectionString = ConnectionOf(serverConnection, name);
    connection.CommandTimeout = 0;
    connection.Open();
    fill(connection);
    return connection.ConnectionString;
}

}  // namespace

// The sample's own PostgreSQL flavour: identity keys continued after the keys written.
QString MakePostgresSample(const QString& serverConnection, const QString& name, int titles, int rowsPerTitle,
                           std::uint64_t seed, int firstTitleNumber) {
    return MakeDatabase(serverConnection, name, [&](TADOConnection& connection) {
        FillSampleDatabase(connection, titles, rowsPerTitle, seed, firstTitleNumber);
    });
}

QString MakePostgresEmptySample(const QString& serverConnection, const QString& name) {
    return MakeDatabase(serverConnection, name,
                        [](TADOConnection& connection) { FillEmptySampleDatabase(connection, true); });
}
