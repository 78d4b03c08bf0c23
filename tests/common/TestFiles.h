#pragma once
// Files of a test: a fresh temporary folder, and SQLite databases inside it.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class TTestDir {
public:
    TTestDir();
    // Full path of a file in the folder.
    QString Path(const QString& name) const;

private:
    QTemporaryDir Dir;
};

// "Provider=SQLite;Location=<path>"
QString SqliteConnectionString(const QString& path);

// Creates the SQLite file (replacing one that is there) and runs the statements on it.
void CreateSqliteDatabase(const QString& path, const QStringList& statements);
