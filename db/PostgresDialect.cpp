#include "db/PostgresDialect.h"

#include "db/ADOQuery.h"
#include "db/SqlText.h"

#include <QStringList>

// Unquoted names fold to lower case in PostgreSQL (ASCII letters only), so names are
// compared the same way here.
static QString SameName(const QString& column, const QString& name) {
    return QStringLiteral("lower(") + column + QStringLiteral(") = lower(") + SqlStringLiteral(name) +
           QStringLiteral(")");
}

static const char* const userTable = "c.relkind = 'r' and c.relnamespace = current_schema()::regnamespace";

TBackendKind TPostgresDialect::Kind() const { return TBackendKind::PostgreSql; }

QString TPostgresDialect::PrimaryKeyStatement(const QString& table) const {
    return QStringLiteral(
               "select a.attname as \"Column_name\" from pg_index i "
               "join pg_class c on c.oid = i.indrelid "
               "join pg_attribute a on a.attrelid = i.indrelid and a.attnum = any(i.indkey) "
               "where i.indisprimary and ") +
           QLatin1String(userTable) + QStringLiteral(" and ") + SameName(QStringLiteral("c.relname"), table) +
           QStringLiteral(" order by array_position(i.indkey::int2[], a.attnum)");
}

QString TPostgresDialect::ForeignKeysStatement(const QString& table) const {
    return QStringLiteral(
               "select a.attname as fkcolumn_name, rc.relname as pktable_name from pg_constraint k "
               "join pg_class c on c.oid = k.conrelid join pg_class rc on rc.oid = k.confrelid "
               "join pg_attribute a on a.attrelid = k.conrelid and a.attnum = any(k.conkey) "
               "where k.contype = 'f' and ") +
           QLatin1String(userTable) + QStringLiteral(" and ") + SameName(QStringLiteral("c.relname"), table) +
           QStringLiteral(" order by lower(rc.relname), k.conname, array_position(k.conkey::int2[], a.attnum)");
}

QString TPostgresDialect::ColumnListStatement(const QString& table) const {
    return QStringLiteral(
               "select a.attname as name from pg_attribute a join pg_class c on c.oid = a.attrelid "
               "where a.attnum > 0 and not a.attisdropped and ") +
           QLatin1String(userTable) + QStringLiteral(" and ") + SameName(QStringLiteral("c.relname"), table) +
           QStringLiteral(" order by a.attnum");
}

static QString ReferencesStatement(const QString& condition) {
    return QStringLiteral(
               "select name, \"Name1\" from (select distinct c.relname as name, rc.relname as \"Name1\" "
               "from pg_constraint k join pg_class c on c.oid = k.conrelid "
               "join pg_class rc on rc.oid = k.confrelid where k.contype = 'f' and ") +
           QLatin1String(userTable) + QStringLiteral(" and ") + condition +
           QStringLiteral(") s order by lower(name), lower(\"Name1\")");
}

QString TPostgresDialect::ReferencedTablesStatement(const QString& table) const {
    return ReferencesStatement(SameName(QStringLiteral("c.relname"), table));
}

QString TPostgresDialect::ReferencingTablesStatement(const QString& parent) const {
    return ReferencesStatement(SameName(QStringLiteral("rc.relname"), parent));
}

QString TPostgresDialect::DictionaryTablesStatement() const {
    return QStringLiteral("select distinct c.relname as name from pg_class c where ") + QLatin1String(userTable) +
           QStringLiteral(" and c.relname like 'Справочник_%' ");
}

void TPostgresDialect::ExecuteForUserTable(TADOQuery& query, const QString& table,
                                           const QString& statement) const {
    ExecuteWhenCounted(query, QStringLiteral("select count(*) from pg_class c where ") + QLatin1String(userTable) +
                 QStringLiteral(" and ") + SameName(QStringLiteral("c.relname"), table), statement);
}

QString TPostgresDialect::AddGuidColumnStatement(const QString& table) const {
    return QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" ADD GUID uuid NULL");
}

QString TPostgresDialect::FillGuidStatement(const QString& table) const {
    return QStringLiteral("UPDATE ") + table + QStringLiteral(" SET GUID = gen_random_uuid()");
}

QString TPostgresDialect::DropGuidColumnStatement(const QString& table) const {
    return QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" DROP COLUMN GUID;");
}

void TPostgresDialect::AddForeignKey(TADOQuery& query, const QString& table, const QString& column,
                                     const QString& refTable, const QString& refColumn) const {
    query.SetSQL(QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" ADD FOREIGN KEY (") + column +
                 QStringLiteral(") REFERENCES ") + refTable + QStringLiteral(" (") + refColumn +
                 QStringLiteral(") ON DELETE NO ACTION ON UPDATE NO ACTION"));
    query.ExecSQL();
}

void TPostgresDialect::DropForeignKeys(TADOQuery& query, const QString& table,
                                       const QString& refTable) const {
    query.SetSQL(QStringLiteral(
                     "select k.conname from pg_constraint k join pg_class c on c.oid = k.conrelid "
                     "join pg_class rc on rc.oid = k.confrelid where k.contype = 'f' and ") +
                 QLatin1String(userTable) + QStringLiteral(" and ") + SameName(QStringLiteral("c.relname"), table) +
                 QStringLiteral(" and ") + SameName(QStringLiteral("rc.relname"), refTable));
    query.Open();
    QStringList names;
    for (; !query.Eof(); query.Next()) names << query.Fields(0).AsString();
    query.Close();
    for (const QString& name : names) {
        QString quoted = name;
        quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        query.SetSQL(QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" DROP CONSTRAINT \"") + quoted +
                     QStringLiteral("\""));
        query.ExecSQL();
    }
}
