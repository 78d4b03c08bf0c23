#pragma once
// Files of a test: a fresh temporary folder, and SQLite databases inside it.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

class TADOConnection;

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

// The rows of a statement, each as its fields' texts joined by "|", NULL as "NULL".
QStringList Rows(TADOConnection& connection, const QString& statement);

// The message of the database error that the action raises, or an empty text.
QString MessageOf(const std::function<void()>& action);
