#include "sample/SampleDatabase.h"

#include "RoadSchemaPostgresText.h"
#include "RoadSchemaText.h"

#include <sqlite3.h>

QString SampleConnectionString(const QString& path) { return QStringLiteral("Provider=SQLite;Location=") + path; }

QString SampleSchemaText() { return QString::fromUtf8(RoadSchemaText); }

QStringList SampleSchemaStatements() {
    // A statement ends where SQLite's own tokenizer says it is complete, so the semicolons
    // inside a trigger body do not split it.
    QStringList statements;
    QString current;
    const QStringList lines = SampleSchemaText().split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QString trimmed = line.trimmed();
        if (current.isEmpty() && (trimmed.isEmpty() || trimmed.startsWith(QLatin1String("--")))) continue;
        current += line + QLatin1Char('\n');
        if (sqlite3_complete(current.toUtf8().constData())) {
            QString statement = current.trimmed();
            if (statement.endsWith(QLatin1Char(';'))) statement.chop(1);
            statements << statement.trimmed();
            current.clear();
        }
    }
    return statements;
}

QString SamplePostgresSchemaText() { return QString::fromUtf8(RoadSchemaPostgresText); }

QStringList SamplePostgresSchemaStatements() {
    // A statement ends with a line ending in ";" outside a function body, which stands
    // between two "$$".
    QStringList statements;
    QString current;
    bool inBody = false;
    const QStringList lines = SamplePostgresSchemaText().split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QString trimmed = line.trimmed();
        if (current.isEmpty() && (trimmed.isEmpty() || trimmed.startsWith(QLatin1String("--")))) continue;
        current += line + QLatin1Char('\n');
        if (line.count(QStringLiteral("$$")) % 2 == 1) inBody = !inBody;
        if (inBody || !trimmed.endsWith(QLatin1Char(';'))) continue;
        QString statement = current.trimmed();
        statement.chop(1);
        statements << statement.trimmed();
        current.clear();
    }
    return statements;
}
