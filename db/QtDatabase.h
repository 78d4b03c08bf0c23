#pragma once
// The steps of opening a Qt SQL database that every backend shares, and the driver's own
// text of an error.

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

// The driver's own text of an error: its database text, or Qt's text when that is empty.
QString DriverText(const QSqlError& error);

// Adds a database of the Qt driver under the connection name; raises EDatabaseError
// "Драйвер баз данных X не установлен" when the driver is missing.
QSqlDatabase AddQtDatabase(const QString& driver, const QString& name);

// Opens the added database; on failure removes the name again and raises the driver's text.
void OpenQtDatabase(QSqlDatabase& db, const QString& name);

// Removes the connection name (after the last handle of it is gone) and raises message.
[[noreturn]] void DropQtDatabase(QSqlDatabase& db, const QString& name, const QString& message);

// Runs a statement that returns nothing (a session setting) outside any statement cache;
// raises EDatabaseError with the driver's text.
void ExecuteOnDatabase(const QSqlDatabase& db, const QString& statement);
