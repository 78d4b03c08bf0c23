#include "common/TestFiles.h"

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"

#include <QFile>

TTestDir::TTestDir() { Dir.setAutoRemove(true); }

QString TTestDir::Path(const QString& name) const { return Dir.filePath(name); }

QString SqliteConnectionString(const QString& path) {
    return QStringLiteral("Provider=SQLite;Location=") + path;
}

void CreateSqliteDatabase(const QString& path, const QStringList& statements) {
    QFile::remove(path);
    QFile file(path);
    file.open(QIODevice::WriteOnly);  // an empty file is an empty SQLite database
    file.close();
    TADOConnection connection;
    connection.ConnectionString = SqliteConnectionString(path);
    connection.Open();
    TADOQuery query(&connection);
    for (const QString& statement : statements) {
        query.SetSQL(statement);
        query.ExecSQL();
    }
    connection.Close();
}
