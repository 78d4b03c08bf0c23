#include "common/TestFiles.h"

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/DbError.h"

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

QStringList Rows(TADOConnection& connection, const QString& statement) {
    TADOQuery query(&connection);
    query.SetSQL(statement);
    query.Open();
    QStringList rows;
    for (; !query.Eof(); query.Next()) {
        QStringList fields;
        for (int i = 0; i < query.FieldCount(); ++i)
            fields << (query.Fields(i).IsNull() ? QStringLiteral("NULL") : query.Fields(i).AsString());
        rows << fields.join(QLatin1Char('|'));
    }
    return rows;
}

QString MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EDatabaseError& error) {
        return error.message();
    }
    return QString();
}
