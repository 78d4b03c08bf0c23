// SQLite's catalogue from sqlite_master and the table-valued pragmas, and the import's
// schema changes on SQLite.

#include "db/sqlite/SqliteDialect.h"

#include "db/StatementRunner.h"
#include "db/RegularIdentifier.h"
#include "db/SqlText.h"
#include "db/sqlite/SqliteGuidColumns.h"
#include "db/sqlite/SqliteSchemaEdit.h"

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

QString TSqliteDialect::ForeignKeysStatement(const QString& table) const {
    // Ordered as sp_fkeys orders its rows: by the referenced table, then key position.
    return QStringLiteral(
               "select f.\"from\" as fkcolumn_name, coalesce(r.name, f.\"table\") as pktable_name "
               "from pragma_foreign_key_list(") +
           SqlStringLiteral(table) +
           QStringLiteral(") f left join sqlite_master r on r.type = 'table' and "
                          "r.name = f.\"table\" collate UNICODE_CI "
                          "order by pktable_name collate UNICODE_CI, f.id, f.seq");
}

// The import's GUID column is listed also where it is computed (hidden 2 or 3 in
// pragma_table_xinfo), so that the copier carries it; other computed columns stay out.
QString TSqliteDialect::ColumnListStatement(const QString& table) const {
    return QStringLiteral(
               "select p.name as name from sqlite_master m, pragma_table_xinfo(m.name) p "
               "where m.type = 'table' and m.name not like 'sqlite\\_%' escape '\\' and "
               "(p.hidden = 0 or (p.hidden in (2, 3) and p.name = 'GUID')) and m.name = ") +
           SqlStringLiteral(table) + QStringLiteral(" collate UNICODE_CI order by p.cid");
}

// Pairs (referencing table, referenced table) of user tables, under a condition.
static QString ReferencesStatement(const QString& condition) {
    return QStringLiteral(
               "select distinct m.name as name, r.name as Name1 "
               "from sqlite_master m, pragma_foreign_key_list(m.name) f, sqlite_master r "
               "where m.type = 'table' and r.type = 'table' and "
               "r.name = f.\"table\" collate UNICODE_CI and ") +
           condition + QStringLiteral(" order by m.name collate UNICODE_CI, r.name collate UNICODE_CI");
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

// The copier finds each row it copies by its GUID; without an index every probe would read
// the whole destination table. SQLite will not drop an indexed column, so the drop removes
// the index first.
static QString GuidIndexName(const QString& table) {
    QString name = QStringLiteral("GUID_") + table;
    name.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + name + QLatin1Char('"');
}

static QString GuidIndexStatement(const QString& table) {
    return QStringLiteral("CREATE INDEX IF NOT EXISTS ") + GuidIndexName(table) + QStringLiteral(" ON ") + table +
           QStringLiteral("(GUID);");
}

static QString UserTableCountStatement(const QString& table) {
    return QStringLiteral("select count(*) from sqlite_master where type = 'table' and name = ") +
           SqlStringLiteral(table) + QStringLiteral(" collate UNICODE_CI");
}

static bool IsUserTable(TStatementRunner& runner, const QString& table) {
    return ScalarOf(runner, UserTableCountStatement(table)).toLongLong() > 0;
}

// On a connection with a role in the import, the GUID statements of this dialect are carried
// out by that role (SqliteGuidColumns.h); every other statement runs as written.
void TSqliteDialect::ExecuteForUserTable(TStatementRunner& runner, const QString& table,
                                         const QString& statement) const {
    const TConnectionRole role = runner.ImportRole();
    const bool add = statement == AddGuidColumnStatement(table);
    const bool fill = statement == FillGuidStatement(table);
    if (role == TConnectionRole::None || (!add && !fill)) {
        ExecuteWhenCounted(runner, UserTableCountStatement(table), statement);
        return;
    }
    if (!IsUserTable(runner, table)) return;
    if (add)
        AddSqliteGuidColumn(runner, table, role, statement);
    else
        FillSqliteGuidColumn(runner, table, role, statement, GuidIndexStatement(table));
}

QString TSqliteDialect::AddGuidColumnStatement(const QString& table) const {
    return QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" ADD GUID uniqueidentifier NULL");
}

QString TSqliteDialect::FillGuidStatement(const QString& table) const {
    return QStringLiteral("UPDATE ") + table + QStringLiteral(" SET GUID = newid(); ") + GuidIndexStatement(table);
}

QString TSqliteDialect::DropGuidColumnStatement(const QString& table) const {
    return QStringLiteral("DROP INDEX IF EXISTS ") + GuidIndexName(table) + QStringLiteral("; ALTER TABLE ") + table +
           QStringLiteral(" DROP COLUMN GUID;");
}

void TSqliteDialect::AddForeignKey(TStatementRunner& runner, const QString& table, const QString& column,
                                   const QString& refTable, const QString& refColumn) const {
    SqliteAddForeignKey(runner, table, column, refTable, refColumn);
}

void TSqliteDialect::DropForeignKeys(TStatementRunner& runner, const QString& table,
                                     const QString& refTable) const {
    SqliteDropForeignKeys(runner, table, refTable);
}
