// PostgreSQL's catalogue from pg_catalog, and the import's schema changes on PostgreSQL.

#include "db/postgres/PostgresDialect.h"

#include "db/StatementRunner.h"
#include "db/RegularIdentifier.h"
#include "db/SqlText.h"
#include "db/SessionGuids.h"
#include "db/postgres/PostgresCatalogue.h"
#include "db/postgres/PostgresTempObjects.h"

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
    return PostgresRepeatedQuestion + QStringLiteral(
               "select a.attname as \"Column_name\" from pg_index i "
               "join pg_class c on c.oid = i.indrelid "
               "join pg_attribute a on a.attrelid = i.indrelid and a.attnum = any(i.indkey) "
               "where i.indisprimary and ") +
           PostgresUserTable(QStringLiteral("c")) + QStringLiteral(" and ") + PostgresSameName(QStringLiteral("c.relname"), table) +
           QStringLiteral(" order by array_position(i.indkey::int2[], a.attnum)");
}

// The foreign keys of the database, and then the links the import added in the session
// (PostgresTempObjects.h), ordered as sp_fkeys orders its rows: by the referenced table,
// then key position.
QString TPostgresDialect::ForeignKeysStatement(const QString& table) const {
    return PostgresRepeatedQuestion + QStringLiteral(
               "select fkcolumn_name, pktable_name from (select a.attname::text as fkcolumn_name, "
               "rc.relname::text as pktable_name, 0 as added, k.conname::text as key, "
               "array_position(k.conkey, a.attnum)::bigint as position from pg_constraint k "
               "join pg_class c on c.oid = k.conrelid join pg_class rc on rc.oid = k.confrelid "
               "join pg_attribute a on a.attrelid = k.conrelid and a.attnum = any(k.conkey) "
               "where k.contype = 'f' and ") +
           PostgresUserTable(QStringLiteral("c")) + QStringLiteral(" and ") +
           PostgresSameName(QStringLiteral("c.relname"), table) +
           QStringLiteral(" union all select l.col, rc.relname::text, 1, '', l.n from ") + PostgresSessionLinks() +
           QStringLiteral(" l join pg_class c on c.relname = l.tab join pg_class rc on rc.relname = l.reftab where ") +
           PostgresUserTable(QStringLiteral("c")) + QStringLiteral(" and ") + PostgresUserTable(QStringLiteral("rc")) +
           QStringLiteral(" and ") + PostgresSameName(QStringLiteral("l.tab"), table) + QStringLiteral(") f order by ") +
           CaseInsensitiveOrder(QStringLiteral("pktable_name")) + QStringLiteral(", added, key, position");
}

// The columns in catalogue order, and last the import's GUID where it lives in the session
// (in place of a column guid that an older version left in the table).
QString TPostgresDialect::ColumnListStatement(const QString& table) const {
    const QString inSession = PostgresSessionHasGuid(QStringLiteral("c"));
    const QString theTable = PostgresUserTable(QStringLiteral("c")) + QStringLiteral(" and ") +
                             PostgresSameName(QStringLiteral("c.relname"), table);
    return QStringLiteral(
               "select name from (select a.attname::text as name, a.attnum::int as position from pg_attribute a "
               "join pg_class c on c.oid = a.attrelid where a.attnum > 0 and not a.attisdropped and ") +
           theTable + QStringLiteral(" and not (a.attname = 'guid' and ") + inSession +
           QStringLiteral(") union all select 'guid', 32768 from pg_class c where ") + theTable + QStringLiteral(" and ") +
           inSession + QStringLiteral(") s order by position");
}

// Pairs (referencing table, referenced table) of user tables under a condition, through the
// database's foreign keys and the links the import added in the session.
static QString ReferencesStatement(const QString& condition) {
    return QStringLiteral(
               "select name, \"Name1\" from (select distinct c.relname as name, rc.relname as \"Name1\" "
               "from (select k.conrelid as child, k.confrelid as parent from pg_constraint k where k.contype = 'f' "
               "union all select lc.oid, lrc.oid from ") +
           PostgresSessionLinks() +
           QStringLiteral(" l join pg_class lc on lc.relname = l.tab join pg_class lrc on lrc.relname = l.reftab where ") +
           PostgresUserTable(QStringLiteral("lc")) + QStringLiteral(" and ") + PostgresUserTable(QStringLiteral("lrc")) +
           QStringLiteral(") r join pg_class c on c.oid = r.child join pg_class rc on rc.oid = r.parent where ") +
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

// The GUID statements of this dialect are carried out in the session (PostgresTempObjects.h);
// every other statement runs only where the table is a user table.
void TPostgresDialect::ExecuteForUserTable(TStatementRunner& runner, const QString& table,
                                           const QString& statement) const {
    if (const std::optional<TGuidStep> step = GuidStepOf(*this, table, statement)) {
        ExecuteGuidStep(*step, statement, TPostgresSessionGuids(), runner, table);
        return;
    }
    ExecuteWhenCounted(runner, QStringLiteral("select count(*) from pg_class c where ") + PostgresUserTable(QStringLiteral("c")) +
                 QStringLiteral(" and ") + PostgresSameName(QStringLiteral("c.relname"), table), statement);
}

// The statements that an older version of the program ran on the tables; a column they made
// and left behind is dropped by the last of them (its index goes with it).
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
    PostgresAddSessionLink(runner, table, column, refTable, refColumn);
}

void TPostgresDialect::DropForeignKeys(TStatementRunner& runner, const QString& table,
                                       const QString& refTable) const {
    PostgresDropSessionLinks(runner, table, refTable);
}
