#include "common/PostgresInspector.h"

#include "db/ConnectionString.h"

namespace {

void Configure(QSqlDatabase& db, const QString& connectionString) {
    const TConnectionParams params = ParseConnectionString(connectionString);
    const QString server = params.DataSource();
    const int colon = server.lastIndexOf(QLatin1Char(':'));
    db.setHostName(colon > 0 ? server.left(colon) : server);
    if (colon > 0) db.setPort(server.mid(colon + 1).toInt());
    db.setDatabaseName(params.Location());
    db.setUserName(params.UserId());
    db.setPassword(params.Password());
}

// The table of that stored name in the schema public.
QString TableOid(const QString& table) {
    QString name = table;
    name.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QStringLiteral("(select oid from pg_class where relname = '%1' and relnamespace = 'public'::regnamespace)")
        .arg(name);
}

QStringList FirstColumn(const QList<QVariantList>& rows) {
    QStringList values;
    for (const QVariantList& row : rows) values << row[0].toString();
    return values;
}

}  // namespace

TPostgresInspector::TPostgresInspector(const QString& connectionString)
    : TDatabaseInspector(QStringLiteral("QPSQL"), [&](QSqlDatabase& db) { Configure(db, connectionString); }) {}

QStringList TPostgresInspector::Tables() const {
    QStringList tables = FirstColumn(Select(QStringLiteral(
        "select relname from pg_class where relkind = 'r' and relnamespace = 'public'::regnamespace")));
    tables.sort();
    return tables;
}

QStringList TPostgresInspector::Columns(const QString& table) const {
    return FirstColumn(Select(QStringLiteral("select attname from pg_attribute where attrelid = ") + TableOid(table) +
                              QStringLiteral(" and attnum > 0 and not attisdropped order by attnum")));
}

QString TPostgresInspector::PrimaryKey(const QString& table) const {
    const QStringList keys = FirstColumn(Select(
        QStringLiteral("select a.attname from pg_index i join pg_attribute a on a.attrelid = i.indrelid and "
                       "a.attnum = any(i.indkey) where i.indisprimary and i.indrelid = ") + TableOid(table)));
    return keys.value(0);
}

QList<TReference> TPostgresInspector::References(const QString& table) const {
    QList<TReference> references;
    for (const QVariantList& row : Select(
             QStringLiteral("select a.attname, rc.relname, ra.attname from pg_constraint k "
                            "join pg_class rc on rc.oid = k.confrelid "
                            "join pg_attribute a on a.attrelid = k.conrelid and a.attnum = k.conkey[1] "
                            "join pg_attribute ra on ra.attrelid = k.confrelid and ra.attnum = k.confkey[1] "
                            "where k.contype = 'f' and k.conrelid = ") + TableOid(table)))
        references << TReference{row[0].toString(), row[1].toString(), row[2].toString()};
    return references;
}

QString TPostgresInspector::Catalogue() const {
    const QString inPublic = QStringLiteral("c.relnamespace = 'public'::regnamespace");
    const QStringList statements = {
        QStringLiteral("select 'class', c.relname, c.relkind, c.relnatts from pg_class c where ") + inPublic,
        QStringLiteral("select 'attribute', c.relname, a.attnum, a.attname, a.atttypid, a.attisdropped, a.attnotnull "
                       "from pg_attribute a join pg_class c on c.oid = a.attrelid where a.attnum > 0 and ") + inPublic,
        QStringLiteral("select 'index', c.relname, pg_get_indexdef(i.indexrelid) from pg_index i "
                       "join pg_class c on c.oid = i.indexrelid where ") + inPublic,
        QStringLiteral("select 'constraint', c.relname, k.conname, pg_get_constraintdef(k.oid) from pg_constraint k "
                       "join pg_class c on c.oid = k.conrelid where ") + inPublic,
    };
    QStringList lines;
    for (const QString& statement : statements)
        for (const QVariantList& row : Select(statement)) {
            QStringList values;
            for (const QVariant& value : row) values << value.toString();
            lines << values.join(QLatin1Char('|'));
        }
    lines.sort();
    return lines.join(QLatin1Char('\n'));
}
