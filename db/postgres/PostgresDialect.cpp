// PostgreSQL's catalogue from pg_catalog, and the import's schema changes on PostgreSQL.

#include "db/postgres/PostgresDialect.h"

#include "db/StatementRunner.h"
#include "db/RegularIdentifier.h"
#include "db/SqlText.h"
#include "db/postgres/PostgresCatalogue.h"

#include <QStringList>

// Catalogue names (type name, collation "C") ordered as SQL Server's case-insensitive
// collation orders them: by the lower-case text in the database's own collation.
static QString CaseInsensitiveOrder(const QString& column) {
    return QStringLiteral("lower(") + column + QStringLiteral("::text collate \"default\"), ") + column;
}

const QSet<QString>& PostgresReservedWords() {
    static const QSet<QString> words = WordSet(
        "ALL ANALYSE ANALYZE AND ANY ARRAY AS ASC ASYMMETRIC BOTH CASE CAST CHECK COLLATE COLUMN CONSTRAINT "
        "CREATE CURRENT_CATALOG CURRENT_DATE CURRENT_ROLE CURRENT_TIME CURRENT_TIMESTAMP CURRENT_USER "
        "DEFAULT DEFERRABLE DESC DISTINCT DO ELSE END EXCEPT FALSE FETCH FOR FOREIGN FROM GRANT GROUP "
        "HAVING IN INITIALLY INTERSECT INTO LATERAL LEADING LIMIT LOCALTIME LOCALTIMESTAMP NOT NULL OFFSET "
        "ON ONLY OR ORDER PLACING PRIMARY REFERENCES RETURNING SELECT SESSION_USER SOME SYMMETRIC "
        "SYSTEM_USER TABLE THEN TO TRAILING TRUE UNION UNIQUE USER USING VARIADIC WHEN WHERE WINDOW WITH "
        "AUTHORIZATION BINARY COLLATION CONCURRENTLY CROSS CURRENT_SCHEMA FREEZE FULL ILIKE INNER IS "
        "ISNULL JOIN LEFT LIKE NATURAL NOTNULL OUTER OVERLAPS RIGHT SIMILAR TABLESAMPLE VERBOSE");
    return words;
}

// Letters, ASCII digits, "_" and "$" after the first character; no ASCII capital, which
// the server would fold; at most 63 characters, the length the server keeps.
bool TPostgresDialect::IsRegularName(const QString& name) const {
    static const TIdentifierRule rule{QStringLiteral("$"), false, true, 63, &PostgresReservedWords()};
    return IsRegularIdentifier(name, rule);
}

QString TPostgresDialect::PrimaryKeyStatement(const QString& table) const {
    return QStringLiteral(
               "select a.attname as \"Column_name\" from pg_index i "
               "join pg_class c on c.oid = i.indrelid "
               "join pg_attribute a on a.attrelid = i.indrelid and a.attnum = any(i.indkey) "
               "where i.indisprimary and ") +
           PostgresUserTable(QStringLiteral("c")) + QStringLiteral(" and ") + PostgresSameName(QStringLiteral("c.relname"), table) +
           QStringLiteral(" order by array_position(i.indkey::int2[], a.attnum)");
}

QString TPostgresDialect::ForeignKeysStatement(const QString& table) const {
    // Ordered as sp_fkeys orders its rows: by the referenced table, then key position.
    return QStringLiteral(
               "select a.attname as fkcolumn_name, rc.relname as pktable_name from pg_constraint k "
               "join pg_class c on c.oid = k.conrelid join pg_class rc on rc.oid = k.confrelid "
               "join pg_attribute a on a.attrelid = k.conrelid and a.attnum = any(k.conkey) "
               "where k.contype = 'f' and ") +
           PostgresUserTable(QStringLiteral("c")) + QStringLiteral(" and ") + PostgresSameName(QStringLiteral("c.relname"), table) +
           QStringLiteral(" order by ") + CaseInsensitiveOrder(QStringLiteral("rc.relname")) +
           QStringLiteral(", k.conname, array_position(k.conkey, a.attnum)");
}

QString TPostgresDialect::ColumnListStatement(const QString& table) const {
    return QStringLiteral(
               "select a.attname as name from pg_attribute a join pg_class c on c.oid = a.attrelid "
               "where a.attnum > 0 and not a.attisdropped and ") +
           PostgresUserTable(QStringLiteral("c")) + QStringLiteral(" and ") + PostgresSameName(QStringLiteral("c.relname"), table) +
           QStringLiteral(" order by a.attnum");
}

// Pairs (referencing table, referenced table) of user tables, under a condition.
static QString ReferencesStatement(const QString& condition) {
    return QStringLiteral(
               "select name, \"Name1\" from (select distinct c.relname as name, rc.relname as \"Name1\" "
               "from pg_constraint k join pg_class c on c.oid = k.conrelid "
               "join pg_class rc on rc.oid = k.confrelid where k.contype = 'f' and ") +
           PostgresUserTable(QStringLiteral("c")) + QStringLiteral(" and ") + PostgresUserTable(QStringLiteral("rc")) +
           QStringLiteral(" and ") + condition + QStringLiteral(") s order by ") +
           CaseInsensitiveOrder(QStringLiteral("name")) + QStringLiteral(", ") +
           CaseInsensitiveOrder(QStringLiteral("\"Name1\""));
}

QString TPostgresDialect::ReferencedTablesStatement(const QString& table) const {
    return ReferencesStatement(PostgresSameName(QStringLiteral("c.relname"), table));
}

QString TPostgresDialect::ReferencingTablesStatement(const QString& parent) const {
    return ReferencesStatement(PostgresSameName(QStringLiteral("rc.relname"), parent));
}

QString TPostgresDialect::DictionaryTablesStatement() const {
    return QStringLiteral("select distinct c.relname as name from pg_class c where ") + PostgresUserTable(QStringLiteral("c")) +
           QStringLiteral(" and c.relname like 'Справочник_%' ");
}

QString TPostgresDialect::UserTablesStatement() const {
    return QStringLiteral("select c.relname as name from pg_class c where ") + PostgresUserTable(QStringLiteral("c"));
}

void TPostgresDialect::ExecuteForUserTable(TStatementRunner& runner, const QString& table,
                                           const QString& statement) const {
    ExecuteWhenCounted(runner, QStringLiteral("select count(*) from pg_class c where ") + PostgresUserTable(QStringLiteral("c")) +
                 QStringLiteral(" and ") + PostgresSameName(QStringLiteral("c.relname"), table), statement);
}

// The copier finds each row it copies by its GUID; without an index every probe would read
// the whole table. The index is made with the column (an unnamed one, so that no name of
// another table's index can clash) and goes with it when the column is dropped.
QString TPostgresDialect::AddGuidColumnStatement(const QString& table) const {
    return QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" ADD GUID uuid NULL; CREATE INDEX ON ") + table +
           QStringLiteral(" (GUID);");
}

QString TPostgresDialect::FillGuidStatement(const QString& table) const {
    return QStringLiteral("UPDATE ") + table + QStringLiteral(" SET GUID = gen_random_uuid()");
}

QString TPostgresDialect::DropGuidColumnStatement(const QString& table) const {
    return QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" DROP COLUMN GUID;");
}

// PostgreSQL refuses to alter a table while checks of its rows are pending ("cannot ALTER
// TABLE ... because it has pending trigger events").
void TPostgresDialect::RunDeferredChecks(TStatementRunner& runner) const {
    ExecuteText(runner, QStringLiteral("SET CONSTRAINTS ALL IMMEDIATE"));
}

void TPostgresDialect::AddForeignKey(TStatementRunner& runner, const QString& table, const QString& column,
                                     const QString& refTable, const QString& refColumn) const {
    ExecuteText(runner, QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" ADD FOREIGN KEY (") + column +
                 QStringLiteral(") REFERENCES ") + refTable + QStringLiteral(" (") + refColumn +
                 QStringLiteral(") ON DELETE NO ACTION ON UPDATE NO ACTION"));
}

void TPostgresDialect::DropForeignKeys(TStatementRunner& runner, const QString& table,
                                       const QString& refTable) const {
    const TRowSet names = RowsOf(runner,
                 QStringLiteral(
                     "select k.conname from pg_constraint k join pg_class c on c.oid = k.conrelid "
                     "join pg_class rc on rc.oid = k.confrelid where k.contype = 'f' and ") +
                 PostgresUserTable(QStringLiteral("c")) + QStringLiteral(" and ") +
                 PostgresSameName(QStringLiteral("c.relname"), table) + QStringLiteral(" and ") + PostgresUserTable(QStringLiteral("rc")) +
                 QStringLiteral(" and ") + PostgresSameName(QStringLiteral("rc.relname"), refTable));
    for (const QVector<QVariant>& row : names.Rows) {
        QString quoted = row.value(0).toString();
        quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        ExecuteText(runner, QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" DROP CONSTRAINT \"") + quoted +
                                QStringLiteral("\""));
    }
}
