// The TEMP tables and the setting that stand for the import's GUID columns and section links
// on PostgreSQL.

#include "db/postgres/PostgresTempObjects.h"

#include "db/DbError.h"
#include "db/SqlText.h"
#include "db/StatementRunner.h"
#include "db/postgres/PostgresCatalogue.h"

#include <QStringList>

const QString PostgresGuidTablePrefix = QStringLiteral("road-import GUID: ");

namespace {

const QString LinksSetting = QStringLiteral("road_import.links");

QString GuidTableName(const QString& oid) { return SqlQuotedName(PostgresGuidTablePrefix + oid); }

// A failure in the words and form the server gives its own ("ERROR:  ...\n(42701)").
[[noreturn]] void RaiseAsServer(const QString& message, const QString& code) {
    EDatabaseError error(QStringLiteral("ERROR:  ") + message + QStringLiteral("\n(") + code + QLatin1Char(')'));
    error.MissingObject = code == QLatin1String("42703");
    throw error;
}

QString OfRelation(const QString& table) {
    return QStringLiteral("column \"guid\" of relation \"") + PostgresFoldedName(table) + QLatin1Char('"');
}

QString TableCondition(const QString& table) {
    return PostgresUserTable(QStringLiteral("c")) + QStringLiteral(" and ") +
           PostgresSameName(QStringLiteral("c.relname"), table);
}

// The oid of the table an unquoted name reaches, with its key columns in key order (none
// without a primary key). Raises when there is no such table.
struct TKeyedTable {
    QString Oid;
    QStringList Keys;
};

TKeyedTable KeyedTableOf(TStatementRunner& runner, const QString& table) {
    const TRowSet rows = RowsOf(runner,
        QStringLiteral("select c.oid, a.attname from pg_class c left join pg_index i on i.indrelid = c.oid and i.indisprimary "
                       "left join pg_attribute a on a.attrelid = c.oid and a.attnum = any(i.indkey) where ") +
        TableCondition(table) + QStringLiteral(" order by array_position(i.indkey::int2[], a.attnum)"));
    if (rows.Rows.isEmpty()) RaiseAsServer(QStringLiteral("relation \"") + PostgresFoldedName(table) +
                                               QStringLiteral("\" does not exist"), QStringLiteral("42P01"));
    TKeyedTable keyed{rows.Rows[0].value(0).toString(), {}};
    for (const QVector<QVariant>& row : rows.Rows)
        if (!row.value(1).isNull()) keyed.Keys << row.value(1).toString();
    return keyed;
}

QString LinkEntry(const QStringList& names) {
    QStringList folded;
    for (const QString& name : names) folded << PostgresFoldedName(name);
    return folded.join(QLatin1Char(' '));
}

}  // namespace

QString PostgresSessionHasGuid(const QString& alias) {
    return QStringLiteral("exists (select 1 from pg_class g where g.relnamespace = pg_my_temp_schema() and g.relname = ") +
           SqlStringLiteral(PostgresGuidTablePrefix) + QStringLiteral(" || ") + alias + QStringLiteral(".oid)");
}

QString PostgresSessionLinks() {
    return QStringLiteral("(select split_part(l.link, ' ', 1) as tab, split_part(l.link, ' ', 2) as col, "
                          "split_part(l.link, ' ', 3) as reftab, split_part(l.link, ' ', 4) as refcol, l.n "
                          "from regexp_split_to_table(current_setting('") +
           LinksSetting + QStringLiteral("', true), ';') with ordinality as l(link, n) where l.link <> '')");
}

bool ChangesPostgresSessionObjects(const QString& sql) {
    return sql.startsWith(QLatin1String("CREATE TEMP TABLE ") + SqlQuotedName(PostgresGuidTablePrefix).chopped(1)) ||
           sql.startsWith(QLatin1String("DROP TABLE pg_temp.") + SqlQuotedName(PostgresGuidTablePrefix).chopped(1)) ||
           sql.startsWith(QLatin1String("select set_config('") + LinksSetting);
}

TGuidPlace TPostgresSessionGuids::PlaceOf(TStatementRunner& runner, const QString& table) const {
    const TRowSet rows = RowsOf(runner,
        QStringLiteral("select ") + PostgresSessionHasGuid(QStringLiteral("c")) +
        QStringLiteral(", exists (select 1 from pg_attribute a where a.attrelid = c.oid and a.attname = 'guid' "
                       "and a.attnum > 0 and not a.attisdropped) from pg_class c where ") +
        TableCondition(table));
    TGuidPlace place;
    if (rows.Rows.isEmpty()) return place;
    place.UserTable = true;
    place.InSession = rows.Rows[0].value(0).toBool();
    place.Stored = rows.Rows[0].value(1).toBool();
    return place;
}

// Typed as the table's key columns are, so that a probe meets the key's index; an index on
// GUID finds a recorded row without reading the rest.
void TPostgresSessionGuids::Add(TStatementRunner& runner, const QString& table) const {
    const TKeyedTable keyed = KeyedTableOf(runner, table);
    const QString name = GuidTableName(keyed.Oid);
    QStringList columns{QStringLiteral("NULL::uuid AS \"GUID\"")};
    columns += keyed.Keys;
    ExecuteText(runner, QStringLiteral("CREATE TEMP TABLE ") + name + QStringLiteral(" AS SELECT ") +
                            columns.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + table +
                            QStringLiteral(" WITH NO DATA; CREATE INDEX ON pg_temp.") + name + QStringLiteral(" (\"GUID\")"));
}

void TPostgresSessionGuids::Drop(TStatementRunner& runner, const QString& table) const {
    ExecuteText(runner, QStringLiteral("DROP TABLE pg_temp.") + GuidTableName(KeyedTableOf(runner, table).Oid));
}

void TPostgresSessionGuids::RefuseAdd(TStatementRunner&, const QString& table, const QString&, const TGuidPlace&) const {
    RaiseAsServer(OfRelation(table) + QStringLiteral(" already exists"), QStringLiteral("42701"));
}

void TPostgresSessionGuids::RefuseDrop(TStatementRunner&, const QString& table, const QString&) const {
    RaiseAsServer(OfRelation(table) + QStringLiteral(" does not exist"), QStringLiteral("42703"));
}

void PostgresAddSessionLink(TStatementRunner& runner, const QString& table, const QString& column,
                            const QString& refTable, const QString& refColumn) {
    ExecuteText(runner, QStringLiteral("select set_config('") + LinksSetting +
                            QStringLiteral("', concat_ws(';', nullif(current_setting('") + LinksSetting +
                            QStringLiteral("', true), ''), ") +
                            SqlStringLiteral(LinkEntry({table, column, refTable, refColumn})) + QStringLiteral("), false)"));
}

void PostgresDropSessionLinks(TStatementRunner& runner, const QString& table, const QString& refTable) {
    ExecuteText(runner, QStringLiteral("select set_config('") + LinksSetting +
                            QStringLiteral("', coalesce((select string_agg(concat_ws(' ', tab, col, reftab, refcol), ';' "
                                           "order by n) from ") +
                            PostgresSessionLinks() + QStringLiteral(" s where not (tab = ") +
                            SqlStringLiteral(PostgresFoldedName(table)) + QStringLiteral(" and reftab = ") +
                            SqlStringLiteral(PostgresFoldedName(refTable)) + QStringLiteral(")), ''), false)"));
}
