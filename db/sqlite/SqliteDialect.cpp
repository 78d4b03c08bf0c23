// SQLite's catalogue from sqlite_master and the table-valued pragmas, and the import's
// temporary changes, which on SQLite live in the connection alone.

#include "db/sqlite/SqliteDialect.h"

#include "db/StatementRunner.h"
#include "db/RegularIdentifier.h"
#include "db/SqlText.h"
#include "db/DbError.h"
#include "db/SessionGuids.h"
#include "db/sqlite/SqliteTempObjects.h"

#include <sqlite3.h>

const QSet<QString>& SqliteReservedWords() {
    static const QSet<QString> words = [] {
        QSet<QString> set;
        for (int i = 0; i < sqlite3_keyword_count(); ++i) {
            const char* word = nullptr;
            int length = 0;
            if (sqlite3_keyword_name(i, &word, &length) == SQLITE_OK)
                set.insert(QString::fromLatin1(word, length).toUpper());
        }
        return set;
    }();
    return words;
}

// Letters, ASCII digits, "_" and "$" after the first character ("$" in front starts a
// parameter); SQLite sets no length limit of its own.
bool TSqliteDialect::IsRegularName(const QString& name) const {
    static const TIdentifierRule rule{QStringLiteral("$"), false, false, 1024, &SqliteReservedWords()};
    return IsRegularIdentifier(name, rule);
}

QString TSqliteDialect::PrimaryKeyStatement(const QString& table) const {
    return QStringLiteral("select name as Column_name from pragma_table_info(") + SqlStringLiteral(table) +
           QStringLiteral(") where pk > 0 order by pk");
}

// The foreign keys of the file and those the import added in the connection, ordered as
// sp_fkeys orders its rows: by the referenced table, then key position.
QString TSqliteDialect::ForeignKeysStatement(const QString& table) const {
    const QString keys = QStringLiteral(
        "select f.\"from\" as fkcolumn_name, coalesce(r.name, f.\"table\") as pktable_name, %1 as added, "
        "f.id as id, f.seq as seq from pragma_foreign_key_list(%2) f left join sqlite_master r "
        "on r.type = 'table' and r.name = f.\"table\" collate UNICODE_CI");
    return QStringLiteral("select fkcolumn_name, pktable_name from (") +
           keys.arg(QStringLiteral("0"), SqlStringLiteral(table)) + QStringLiteral(" union all ") +
           keys.arg(QStringLiteral("1"), SqlStringLiteral(SqliteLinkTableName(table)) + QStringLiteral(", 'temp'")) +
           QStringLiteral(") order by pktable_name collate UNICODE_CI, added, id, seq");
}

// The columns of the file's table in catalogue order, and last the import's GUID where it
// lives in the connection (in place of a column GUID an older version left in the file).
// Computed columns are not copied.
QString TSqliteDialect::ColumnListStatement(const QString& table) const {
    const QString name = SqlStringLiteral(table);
    const QString guidInConnection =
        QStringLiteral("exists (select 1 from sqlite_temp_master t where t.type = 'table' and t.name = ") +
        SqlStringLiteral(SqliteGuidTableName(QString())) + QStringLiteral(" || m.name)");
    return QStringLiteral(
               "select name from (select p.name as name, p.cid as cid from sqlite_master m, pragma_table_xinfo(m.name) p "
               "where m.type = 'table' and m.name not like 'sqlite\\_%' escape '\\' and p.hidden = 0 and m.name = ") +
           name + QStringLiteral(" collate UNICODE_CI and not (p.name = 'GUID' collate nocase and ") + guidInConnection +
           QStringLiteral(") union all select 'GUID', 1e18 from sqlite_master m where m.type = 'table' and m.name = ") +
           name + QStringLiteral(" collate UNICODE_CI and ") + guidInConnection + QStringLiteral(") order by cid");
}

// Pairs (referencing table, referenced table) of user tables under a condition, through the
// file's foreign keys and the links the import added in the connection.
static QString ReferencesStatement(const QString& condition) {
    const QString pairs = QStringLiteral(
        "select m.name as name, r.name as Name1 from sqlite_master m, pragma_foreign_key_list(%1) f, sqlite_master r "
        "where m.type = 'table' and r.type = 'table' and r.name = f.\"table\" collate UNICODE_CI and ");
    return QStringLiteral("select distinct name, Name1 from (") + pairs.arg(QStringLiteral("m.name")) + condition +
           QStringLiteral(" union all ") +
           pairs.arg(SqlStringLiteral(SqliteLinkTableName(QString())) + QStringLiteral(" || m.name, 'temp'")) + condition +
           QStringLiteral(") order by name collate UNICODE_CI, Name1 collate UNICODE_CI");
}

QString TSqliteDialect::ReferencedTablesStatement(const QString& table) const {
    return ReferencesStatement(QStringLiteral("m.name = ") + SqlStringLiteral(table) +
                               QStringLiteral(" collate UNICODE_CI"));
}

QString TSqliteDialect::ReferencingTablesStatement(const QString& parent) const {
    return ReferencesStatement(QStringLiteral("r.name = ") + SqlStringLiteral(parent) +
                               QStringLiteral(" collate UNICODE_CI"));
}

QString TSqliteDialect::DictionaryTablesStatement() const {
    return QStringLiteral(
        "select distinct name from sqlite_master where type = 'table' and name like 'Справочник_%' ");
}

QString TSqliteDialect::UserTablesStatement() const {
    return QStringLiteral("select name from sqlite_master where type = 'table' and name not like 'sqlite\\_%' escape '\\'");
}

// An older version kept the GUID in the file, with an index on the destination; the drop of
// such a column removes both.
static QString GuidIndexName(const QString& table) {
    QString name = QStringLiteral("GUID_") + table;
    name.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// The GUID statements of this dialect are carried out in the connection (SqliteTempObjects.h);
// every other statement runs as written.
void TSqliteDialect::ExecuteForUserTable(TStatementRunner& runner, const QString& table,
                                         const QString& statement) const {
    if (const std::optional<TGuidStep> step = GuidStepOf(*this, table, statement))
        ExecuteGuidStep(*step, statement, TSqliteSessionGuids(), runner, table);
    else
        ExecuteWhenCounted(runner, SqliteUserTableCountStatement(table), statement);
}

QString TSqliteDialect::AddGuidColumnStatement(const QString& table) const {
    return QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" ADD GUID uniqueidentifier NULL");
}

QString TSqliteDialect::FillGuidStatement(const QString& table) const {
    return QStringLiteral("UPDATE ") + table + QStringLiteral(" SET GUID = newid()");
}

QString TSqliteDialect::DropGuidColumnStatement(const QString& table) const {
    return QStringLiteral("DROP INDEX IF EXISTS ") + GuidIndexName(table) + QStringLiteral("; ALTER TABLE ") + table +
           QStringLiteral(" DROP COLUMN GUID;");
}

void TSqliteDialect::AddForeignKey(TStatementRunner& runner, const QString& table, const QString& column,
                                   const QString& refTable, const QString& refColumn) const {
    SqliteAddConnectionLink(runner, table, column, refTable, refColumn);
}

void TSqliteDialect::DropForeignKeys(TStatementRunner& runner, const QString& table,
                                     const QString& refTable) const {
    SqliteDropConnectionLinks(runner, table, refTable);
}
