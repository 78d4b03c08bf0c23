// The TEMP tables that stand for the import's GUID columns and section links on SQLite.

#include "db/sqlite/SqliteTempObjects.h"

#include "db/DbError.h"
#include "db/SqlText.h"
#include "db/StatementRunner.h"

#include <QStringList>

namespace {

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
        if (!columns.contains(SqlQuotedName(link.Column))) columns << SqlQuotedName(link.Column);
        keys << QStringLiteral("FOREIGN KEY (") + SqlQuotedName(link.Column) + QStringLiteral(") REFERENCES ") +
                    SqlQuotedName(link.RefTable) + QStringLiteral(" (") + SqlQuotedName(link.RefColumn) +
                    QStringLiteral(") ON DELETE NO ACTION ON UPDATE NO ACTION");
    }
    ExecuteText(runner, QStringLiteral("CREATE TEMP TABLE ") + SqlQuotedName(SqliteLinkTableName(table)) + QStringLiteral(" (") +
                            (columns + keys).join(QStringLiteral(", ")) + QLatin1Char(')'));
}

}  // namespace

bool ChangesSqliteTempObjects(const QString& sql) {
    return (sql.startsWith(QLatin1String("CREATE TEMP"), Qt::CaseInsensitive) ||
            sql.startsWith(QLatin1String("DROP TABLE"), Qt::CaseInsensitive)) &&
           sql.contains(QLatin1String("road-import"));
}

QString SqliteGuidTableName(const QString& table) { return QStringLiteral("road-import GUID: ") + table; }

QString SqliteLinkTableName(const QString& table) { return QStringLiteral("road-import links: ") + table; }

QString SqliteTempName(const QString& name) { return QStringLiteral("temp.") + SqlQuotedName(name); }

QString SqliteUserTableCountStatement(const QString& table) {
    return QStringLiteral("select count(*) from sqlite_master where type = 'table' and name = ") +
           SqlStringLiteral(table) + QStringLiteral(" collate UNICODE_CI");
}

TGuidPlace TSqliteSessionGuids::PlaceOf(TStatementRunner& runner, const QString& table) const {
    TGuidPlace place;
    place.UserTable = ScalarOf(runner, SqliteUserTableCountStatement(table)).toLongLong() > 0;
    if (!place.UserTable) return place;
    place.InSession = TempTableExists(runner, SqliteGuidTableName(table));
    place.Stored = ScalarOf(runner, QStringLiteral("select count(*) from pragma_table_xinfo(") + SqlStringLiteral(table) +
                                        QStringLiteral(", 'main') where name = 'GUID' collate nocase"))
                       .toLongLong() > 0;
    return place;
}

// Keyed by GUID and row together: a GUID recorded for two rows finds both, as a column would.
void TSqliteSessionGuids::Add(TStatementRunner& runner, const QString& table) const {
    ExecuteText(runner, QStringLiteral("CREATE TEMP TABLE ") + SqlQuotedName(SqliteGuidTableName(table)) +
                            QStringLiteral(" (GUID text NOT NULL, Row NOT NULL, PRIMARY KEY (GUID, Row)) WITHOUT ROWID"));
}

void TSqliteSessionGuids::Drop(TStatementRunner& runner, const QString& table) const {
    ExecuteText(runner, QStringLiteral("DROP TABLE ") + SqliteTempName(SqliteGuidTableName(table)));
}

// The file refuses the add of a column it has, with SQLite's own words.
void TSqliteSessionGuids::RefuseAdd(TStatementRunner& runner, const QString&, const QString& statement,
                                    const TGuidPlace& place) const {
    if (place.Stored) ExecuteText(runner, statement);
    throw EDatabaseError(QStringLiteral("duplicate column name: GUID"));
}

void TSqliteSessionGuids::RefuseDrop(TStatementRunner& runner, const QString&, const QString& statement) const {
    ExecuteText(runner, statement);
    throw EDatabaseError(QStringLiteral("no such column: \"GUID\""));
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
