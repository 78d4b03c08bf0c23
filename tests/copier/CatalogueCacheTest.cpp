// The catalogue is asked once per table and run: rows of a referenced table pulled in one
// at a time do not ask it again; a new run and a copy outside a run ask afresh.

#include "common/TestFiles.h"
#include "copier/Callbacks.h"
#include "copier/CopierRun.h"
#include "copier/KeyMaps.h"
#include "copier/RowCopier.h"
#include "db/ADOConnection.h"

#include <gtest/gtest.h>

namespace {

// A real SQLite connection that notes every statement text it runs.
class TCountingConnection : public TADOConnection {
public:
    QStringList Statements;
    TRowSet Run(const QString& sql, const QVector<TBoundParam>& params, bool wantRows) override {
        Statements << sql;
        return TADOConnection::Run(sql, params, wantRows);
    }
    int CountContaining(const QString& part) const {
        int count = 0;
        for (const QString& statement : Statements) count += statement.contains(part) ? 1 : 0;
        return count;
    }
};

class TSaveAsker : public TQuestionAsker {
public:
    int Ask(const QString&, TMsgDlgType, TMsgDlgButtons) override { return mrYes; }
};

const QStringList Schema = {
    QStringLiteral("create table Region (K integer primary key, Name varchar(40))"),
    QStringLiteral("create table Item (K integer primary key, Name varchar(40), RegionRef int references Region(K))"),
};

TStringList List(const QStringList& names, const QList<int>& marks = {}) {
    TStringList list;
    for (int i = 0; i < names.size(); ++i) list.Add(names[i], marks.value(i));
    return list;
}

TEST(CatalogueCache, AReferencedTableIsIntrospectedOncePerRun) {
    TTestDir dir;
    const QString sourcePath = dir.Path(QStringLiteral("source.db"));
    const QString destPath = dir.Path(QStringLiteral("dest.db"));
    CreateSqliteDatabase(sourcePath, Schema + QStringList{
        QStringLiteral("insert into Region values (1, 'North'), (2, 'South'), (3, 'East')"),
        QStringLiteral("insert into Item values (1, 'a', 1), (2, 'b', 2), (3, 'c', 1), (4, 'd', 3)"),
    });
    CreateSqliteDatabase(destPath, Schema);
    TCountingConnection source;
    source.ConnectionString = SqliteConnectionString(sourcePath);
    source.Open();
    TADOConnection dest;
    dest.ConnectionString = SqliteConnectionString(destPath);
    dest.Open();
    TSaveAsker asker;
    SetQuestionAsker(&asker);

    // Regions are listed but not copied: each arrives through a nested call from an item.
    const TStringList tables = List({QStringLiteral("Region"), QStringLiteral("Item")}, {imSkip, imCopy});
    const TStringList selections = List({QString(), QString()});
    const TStringList matchTables = List({QStringLiteral("Region"), QStringLiteral("Item")});
    const TStringList matchColumns = List({QStringLiteral("Name"), QStringLiteral("Name")});
    const QString regionKeys = QStringLiteral("pragma_foreign_key_list('Region'");
    EXPECT_EQ(ImportTables(tables, selections, matchTables, matchColumns, source, dest, &tables), 1);
    EXPECT_EQ(Rows(dest, QStringLiteral("select i.Name, r.Name from Item i join Region r on r.K = i.RegionRef order by 1")),
              (QStringList{QStringLiteral("a|North"), QStringLiteral("b|South"), QStringLiteral("c|North"),
                           QStringLiteral("d|East")}));
    // Three regions pulled, the catalogue of Region read by the first pull alone: once for
    // its key and once for its one copied column.
    const int firstRun = source.CountContaining(regionKeys);
    EXPECT_EQ(firstRun, 2);

    // The next run learns the catalogue again.
    EXPECT_EQ(ImportTables(tables, selections, matchTables, matchColumns, source, dest, &tables), 1);
    EXPECT_EQ(source.CountContaining(regionKeys), 2 * firstRun);

    // Outside a run every call asks.
    TKeyMaps keyMaps;
    source.Statements.clear();
    CopyTableRows(QStringLiteral("Region"), QStringLiteral("1"), keyMaps, matchTables, matchColumns, source, dest, true,
                  false);
    CopyTableRows(QStringLiteral("Region"), QStringLiteral("2"), keyMaps, matchTables, matchColumns, source, dest, true,
                  false);
    EXPECT_EQ(source.CountContaining(regionKeys), 2 * firstRun);
    SetQuestionAsker(nullptr);
}

}  // namespace
