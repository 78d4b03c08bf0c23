#include "common/PostgresSample.h"

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "sample/SampleDatabase.h"
#include "sample/SampleRandom.h"
#include "sample/SampleWriting.h"

#include <QRegularExpression>
#include <QStringList>

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

QString PostgresStatement(QString statement) {
    static const QList<QPair<QRegularExpression, QString>> types = {
        {QRegularExpression(QStringLiteral("\\binteger primary key\\b"), QRegularExpression::CaseInsensitiveOption),
         QStringLiteral("serial primary key")},
        {QRegularExpression(QStringLiteral("\\bdatetime\\b"), QRegularExpression::CaseInsensitiveOption),
         QStringLiteral("timestamp")},
        {QRegularExpression(QStringLiteral("\\bfloat\\b"), QRegularExpression::CaseInsensitiveOption),
         QStringLiteral("double precision")},
        {QRegularExpression(QStringLiteral("\\bimage\\b"), QRegularExpression::CaseInsensitiveOption),
         QStringLiteral("bytea")},
    };
    for (const auto& type : types) statement.replace(type.first, type.second);
    return statement;
}

// Serial keys written explicitly leave their sequences behind: each starts after its table.
void AdvanceSequences(TADOConnection& connection) {
    TADOQuery keys(&connection);
    keys.SetSQL(QStringLiteral(
        "select c.relname, a.attname from pg_class c join pg_namespace n on n.oid = c.relnamespace "
        "join pg_attribute a on a.attrelid = c.oid where n.nspname = 'public' and c.relkind = 'r' and a.attnum > 0 "
        "and pg_get_serial_sequence(quote_ident(c.relname), a.attname) is not null"));
    keys.Open();
    QStringList statements;
    for (; !keys.Eof(); keys.Next()) {
        const QString table = Quoted(keys.Fields(0).AsString());
        const QString column = Quoted(keys.Fields(1).AsString());
        statements << QStringLiteral("select setval(pg_get_serial_sequence('") + table + QStringLiteral("', '") +
                          keys.Fields(1).AsString() + QStringLiteral("'), coalesce((select max(") + column +
                          QStringLiteral(") from ") + table + QStringLiteral("), 0) + 1, false)");
    }
    keys.Close();
    for (const QString& statement : statements) {
        TADOQuery query(&connection);
        query.SetSQL(statement);
        query.Open();
    }
}

// The sample schema in PostgreSQL's order: SQLite accepts a reference to a table made later
// (Ремонт and Акт_приемки refer to each other), PostgreSQL does not; such a reference is
// added by ALTER TABLE once every table is there. The SQLite trigger is left out.
QStringList PostgresSchemaStatements() {
    static const QRegularExpression createTable(QStringLiteral("^\\s*CREATE TABLE\\s+(\\S+)"),
                                                QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression reference(
        QStringLiteral("(\\s+CONSTRAINT\\s+\\S+)?\\s+REFERENCES\\s+(\\S+)\\s*\\(([^)]*)\\)[^,]*"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList statements, laterKeys, tables;
    for (const QString& text : SampleSchemaStatements()) {
        if (text.trimmed().startsWith(QStringLiteral("CREATE TRIGGER"), Qt::CaseInsensitive)) continue;
        const QRegularExpressionMatch created = createTable.match(text);
        if (!created.hasMatch()) {
            statements << PostgresStatement(text);
            continue;
        }
        const QString table = created.captured(1);
        QStringList lines = text.split(QLatin1Char('\n'));
        for (QString& line : lines) {
            const QRegularExpressionMatch match = reference.match(line);
            if (!match.hasMatch() || tables.contains(match.captured(2)) || match.captured(2) == table) continue;
            const QString column = line.trimmed().section(QLatin1Char(' '), 0, 0);
            laterKeys << QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" ADD FOREIGN KEY (") + column +
                             QStringLiteral(") REFERENCES ") + match.captured(2) + QStringLiteral(" (") + match.captured(3) +
                             QStringLiteral(")");
            line.remove(match.capturedStart(), match.capturedLength());
        }
        tables << table;
        statements << PostgresStatement(lines.join(QLatin1Char('\n')));
    }
    return statements + laterKeys;
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

QString MakePostgresSample(const QString& serverConnection, const QString& name, int titles, int rowsPerTitle,
                           std::uint64_t seed, int firstTitleNumber) {
    DropPostgresDatabaseIfAny(serverConnection, name);
    OnServer(serverConnection, QStringLiteral("CREATE DATABASE ") + Quoted(name) +
                                   QStringLiteral(" TEMPLATE template0 ENCODING 'UTF8'"));
    TADOConnection connection;
    connection.ConnectionString = ConnectionOf(serverConnection, name);
    connection.CommandTimeout = 0;
    connection.Open();
    for (const QString& statement : PostgresSchemaStatements()) Execute(connection, statement);
    Execute(connection, QStringLiteral("BEGIN TRANSACTION;"));
    TSampleRandom random(seed);
    const TDictionaryKeys keys = WriteDictionaries(connection, TDictionaryOrder::Shuffled, random);
    WriteTitles(connection, keys, titles, rowsPerTitle, firstTitleNumber, random);
    Execute(connection, QStringLiteral("COMMIT TRANSACTION;"));
    AdvanceSequences(connection);
    return connection.ConnectionString;
}
