// The TEMP tables that stand for the import's GUID columns and section links on SQLite.

#include "db/sqlite/SqliteTempObjects.h"

#include "db/SqlText.h"
#include "db/StatementRunner.h"

#include <QStringList>

namespace {

QString QuotedName(QString name) {
    name.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + name + QLatin1Char('"');
}

bool TempTableExists(TStatementRunner& runner, const QString& name) {
    return ScalarOf(runner, QStringLiteral("select count(*) from sqlite_temp_master where type = 'table' and name = ") +
                                SqlStringLiteral(name))
               .toLongLong() > 0;
}

struct TLink {
    QString Column, RefTable, RefColumn;
};

// The links of the table in the order they were added (the pragma numbers the last one 0).
QVector<TLink> LinksOf(TStatementRunner& runner, const QString& table) {
    QVector<TLink> links;
    const TRowSet rows = RowsOf(runner, QStringLiteral("select \"from\", \"table\", \"to\" from pragma_foreign_key_list(") +
                                            SqlStringLiteral(SqliteLinkTableName(table)) +
                                            QStringLiteral(", 'temp') order by id desc, seq"));
    for (const QVector<QVariant>& row : rows.Rows) links.append({row[0].toString(), row[1].toString(), row[2].toString()});
    return links;
}

// The links table made anew to declare exactly these links; none: no table.
void WriteLinks(TStatementRunner& runner, const QString& table, const QVector<TLink>& links) {
    const QString name = SqliteTempName(SqliteLinkTableName(table));
    ExecuteText(runner, QStringLiteral("DROP TABLE IF EXISTS ") + name);
    if (links.isEmpty()) return;
    QStringList columns, keys;
    for (const TLink& link : links) {
        if (!columns.contains(QuotedName(link.Column))) columns << QuotedName(link.Column);
        keys << QStringLiteral("FOREIGN KEY (") + QuotedName(link.Column) + QStringLiteral(") REFERENCES ") +
                    QuotedName(link.RefTable) + QStringLiteral(" (") + QuotedName(link.RefColumn) +
                    QStringLiteral(") ON DELETE NO ACTION ON UPDATE NO ACTION");
    }
    ExecuteText(runner, QStringLiteral("CREATE TEMP TABLE ") + QuotedName(SqliteLinkTableName(table)) + QStringLiteral(" (") +
                            (columns + keys).join(QStringLiteral(", ")) + QLatin1Char(')'));
}

}  // namespace

QString SqliteGuidTableName(const QString& table) { return QStringLiteral("road-import GUID: ") + table; }

QString SqliteLinkTableName(const QString& table) { return QStringLiteral("road-import links: ") + table; }

QString SqliteTempName(const QString& name) { return QStringLiteral("temp.") + QuotedName(name); }

bool SqliteConnectionHasGuid(TStatementRunner& runner, const QString& table) {
    return TempTableExists(runner, SqliteGuidTableName(table));
}

// Keyed by GUID and row together: a GUID recorded for two rows finds both, as a column would.
void SqliteAddConnectionGuid(TStatementRunner& runner, const QString& table) {
    ExecuteText(runner, QStringLiteral("CREATE TEMP TABLE ") + QuotedName(SqliteGuidTableName(table)) +
                            QStringLiteral(" (GUID text NOT NULL, Row NOT NULL, PRIMARY KEY (GUID, Row)) WITHOUT ROWID"));
}

void SqliteDropConnectionGuid(TStatementRunner& runner, const QString& table) {
    ExecuteText(runner, QStringLiteral("DROP TABLE ") + SqliteTempName(SqliteGuidTableName(table)));
}

bool SqliteHasStoredGuid(TStatementRunner& runner, const QString& table) {
    return ScalarOf(runner, QStringLiteral("select count(*) from pragma_table_xinfo(") + SqlStringLiteral(table) +
                                QStringLiteral(", 'main') where name = 'GUID' collate nocase"))
               .toLongLong() > 0;
}

void SqliteAddConnectionLink(TStatementRunner& runner, const QString& table, const QString& column,
                             const QString& refTable, const QString& refColumn) {
    QVector<TLink> links = LinksOf(runner, table);
    links.append({column, refTable, refColumn});
    WriteLinks(runner, table, links);
}

void SqliteDropConnectionLinks(TStatementRunner& runner, const QString& table, const QString& refTable) {
    const QVector<TLink> links = LinksOf(runner, table);
    QVector<TLink> kept;
    for (const TLink& link : links)
        if (link.RefTable.compare(refTable, Qt::CaseInsensitive) != 0) kept.append(link);
    if (kept.size() != links.size()) WriteLinks(runner, table, kept);
}
