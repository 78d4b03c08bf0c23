// Opening Qt SQL databases and reading their errors, for every backend.

#include "db/QtDatabase.h"

#include "db/DbError.h"

#include <QSqlQuery>

QString DriverText(const QSqlError& error) {
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text() : text;
}

QSqlDatabase AddQtDatabase(const QString& driver, const QString& name) {
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, name);
    if (db.isValid()) return db;
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
    throw EDatabaseError(QStringLiteral("Драйвер баз данных %1 не установлен").arg(driver));
}

void DropQtDatabase(QSqlDatabase& db, const QString& name, const QString& message) {
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
    throw EDatabaseError(message);
}

void OpenQtDatabase(QSqlDatabase& db, const QString& name) {
    if (!db.open()) DropQtDatabase(db, name, DriverText(db.lastError()));
}

void ExecuteOnDatabase(const QSqlDatabase& db, const QString& statement) {
    QSqlQuery query(db);
    if (!query.exec(statement)) throw EDatabaseError(DriverText(query.lastError()));
}
