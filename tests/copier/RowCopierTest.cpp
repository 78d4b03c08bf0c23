// CopyTableRows on real SQLite databases: key translation, nested copies of referenced
// rows, matching by natural columns, failed rows, and row-level reference cycles.

#include "CopierTestSupport.h"

#include "copier/KeyMaps.h"
#include "copier/RowCopier.h"

namespace {

class RowCopierTest : public CopierTest {
protected:
    int Copy(const QString& table, const QString& selection, bool nested = false) {
        return CopyTableRows(table, selection, Maps, MatchTables, MatchColumns, Source, Dest, nested, false);
    }
    int Mapped(const QString& table, int sourceKey) {
        int destKey = -1;
        return Maps.Lookup(table, sourceKey, destKey) ? destKey : -1;
    }

    TKeyMaps Maps;
    TStringList MatchTables;
    TStringList MatchColumns;
};

const QStringList ChainSchema = {
    "create table C (K integer primary key, Name varchar(20))",
    "create table B (K integer primary key, Name varchar(20), CRef int references C(K))",
    "create table A (K integer primary key, Name varchar(20), BRef int references B(K))",
};

// Source rows that dangle or refer to each other can only be stored with the keys checked off.
const QStringList KeysOff = {"pragma foreign_keys = off"};

QStringList With(QStringList statements, const QStringList& more) { return statements + more; }

TEST_F(RowCopierTest, PullsReferencedRowsInFirstAndTranslatesEveryKey) {
    BuildDatabases(With(ChainSchema, {"insert into C values (100, 'c100'), (200, 'c200')",
                                      "insert into B values (10, 'b10', 100), (20, 'b20', NULL)",
                                      "insert into A values (1, 'a1', 10), (2, 'a2', 10), (3, 'a3', NULL), "
                                      "(4, 'a4', 20)"}),
                   With(ChainSchema, {"insert into C values (1, 'old')", "insert into B values (1, 'oldb', 1)",
                                      "insert into A values (1, 'olda', 1)"}));

    EXPECT_EQ(Copy("A", "1, 2, 3, 4"), 5);

    EXPECT_EQ(Lines, (QStringList{"  Добавлена запись в таблицу C с кодом 100",
                                  "  Добавлена запись в таблицу B с кодом 10",
                                  "  Добавлена запись в таблицу B с кодом 20"}));
    EXPECT_EQ(Events, (QStringList{"row C 1", "row B 1", "row A 1", "row A 2", "row A 3", "row B 1", "row A 4"}));
    EXPECT_EQ(Rows(Dest, "select * from C order by K"), (QStringList{"1|old", "2|c100"}));
    EXPECT_EQ(Rows(Dest, "select * from B order by K"), (QStringList{"1|oldb|1", "2|b10|2", "3|b20|NULL"}));
    EXPECT_EQ(Rows(Dest, "select * from A order by K"),
              (QStringList{"1|olda|1", "2|a1|2", "3|a2|2", "4|a3|NULL", "5|a4|3"}));
    EXPECT_EQ(Maps.Names.Strings(), (QStringList{"C", "B", "A"}));
    EXPECT_EQ(Mapped("A", 1), 2);
    EXPECT_EQ(Mapped("B", 20), 3);
    EXPECT_EQ(Mapped("C", 200), -1) << "a row nobody refers to is not copied";

    // Copying the same rows again costs nothing: every one is in the key map.
    Lines.clear();
    EXPECT_EQ(Copy("A", "4"), 5);
    EXPECT_TRUE(Lines.isEmpty());
    EXPECT_EQ(Rows(Dest, "select count(*) from A"), QStringList{"5"});
}

TEST_F(RowCopierTest, MappedReferenceNeedsNoSourceRowAndMissingOneFailsTheRow) {
    // Source B holds no rows at all: a nested call for key 5 would find nothing.
    BuildDatabases(With(KeysOff + ChainSchema, {"insert into A values (1, 'a1', 5), (2, 'a2', 6)"}),
                   With(ChainSchema, {"insert into B values (1, 'b', NULL)"}));
    Maps.Record("B", 5, 1);

    EXPECT_EQ(Copy("A", "1, 2"), -1) << "the last row failed";
    EXPECT_EQ(Rows(Dest, "select * from A"), QStringList{"1|a1|1"});
    EXPECT_EQ(Lines, QStringList{"Не удалось добавить запись в таблицу A с кодом 2. Ошибка: Данную запись нельзя "
                                 "добавлять, т.к. все элементы, которые разрешено было добавить уже добавлены."});
    EXPECT_EQ(Events, QStringList{"row A 1"}) << "a failed row is not counted";
}

TEST_F(RowCopierTest, WideTableKeepsEveryParameterApart) {
    // Positions 1 and 10 and 11: ":Val1" must not be taken for a part of ":Val10".
    const QString schema = "create table W (K integer primary key, c1 int, c2 int, c3 int, c4 int, c5 int, c6 int, "
                           "c7 int, c8 int, c9 int, c10 int, c11 varchar(5))";
    BuildDatabases({schema, "insert into W values (7, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 'x11')"}, {schema});
    EXPECT_EQ(Copy("W", "7"), 1);
    EXPECT_EQ(Rows(Dest, "select * from W"), QStringList{"1|1|2|3|4|5|6|7|8|9|10|x11"});
}

const QStringList DictionarySchema = {
    "create table D (K integer primary key, Name varchar(20), Code int, Note varchar(20))",
    "create table E (K integer primary key, DRef int references D(K))",
};

TEST_F(RowCopierTest, DictionaryRowsAreMatchedByNaturalColumnsAndReused) {
    BuildDatabases(With(DictionarySchema, {"insert into D values (1, 'x', NULL, 'n1'), (2, 'y', 5, 'n2'), "
                                           "(3, 'z', 7, 'n3')",
                                           "insert into E values (1, 1), (2, 3), (3, 2)"}),
                   With(DictionarySchema, {"insert into D values (7, 'x', NULL, 'old'), (8, 'z', 7, 'old3'), "
                                           "(9, 'x', 1, 'other')"}));
    MatchTables = MakeList({"d"});  // looked up ignoring letter case
    MatchColumns = MakeList({"Name, Code"});

    // Nested: found rows are used as they are and not reported; a new row is reported.
    EXPECT_EQ(Copy("E", "1, 2, 3"), 3);
    EXPECT_EQ(Rows(Dest, "select * from E order by K"), (QStringList{"1|7", "2|8", "3|10"}));
    EXPECT_EQ(Rows(Dest, "select * from D order by K"),
              (QStringList{"7|x|NULL|old", "8|z|7|old3", "9|x|1|other", "10|y|5|n2"}));
    EXPECT_EQ(Lines, QStringList{"  Добавлена запись в таблицу D с кодом 2"});

    // A call from the run updates the found rows in their other columns (NULL matching NULL).
    Maps = TKeyMaps();
    EXPECT_EQ(Copy("D", "1, 3"), 8);
    EXPECT_EQ(Rows(Dest, "select * from D order by K"),
              (QStringList{"7|x|NULL|n1", "8|z|7|n3", "9|x|1|other", "10|y|5|n2"}));
    EXPECT_EQ(Mapped("D", 1), 7);
}

TEST_F(RowCopierTest, LargeObjectsStayOutOfTheCondition) {
    const QString schema = "create table M (K integer primary key, Name varchar(20), Body text)";
    BuildDatabases({schema, "insert into M values (1, 'a', 'new body'), (2, 'b', 'body')"},
                   {schema, "insert into M values (5, 'a', 'other body')"});
    EXPECT_EQ(Copy("M", "1, 2"), 6);
    EXPECT_EQ(Rows(Dest, "select * from M order by K"), (QStringList{"5|a|other body", "6|b|body"}));
    EXPECT_EQ(Mapped("M", 1), 5);
}

TEST_F(RowCopierTest, TableWithoutUsableConditionIsRefusedUntouched) {
    const QStringList schema = {
        "create table L (K integer primary key, Body text)",
        "create table G (K integer primary key, Name varchar(10))",
        "create table H (K integer primary key, GRef int references G(K))",
    };
    BuildDatabases(With(schema, {"insert into L values (1, 'x')", "insert into G values (1, 'g')",
                                 "insert into H values (1, 1)"}),
                   With(schema, {"insert into L values (4, 'y')", "insert into G values (4, 'h')"}));
    MatchTables = MakeList({"G"});
    MatchColumns = MakeList({"Описание"});

    for (const QString table : {"L", "G"}) {
        try {
            Copy(table, "1");
            ADD_FAILURE() << "no error for " << table.toStdString();
        } catch (const Exception& e) {
            EXPECT_TRUE(e.message().startsWith("Таблица " + table + ":")) << e.message().toStdString();
        }
    }
    // A referencing row fails with that error; nothing is probed, inserted or updated.
    EXPECT_EQ(Copy("H", "1"), -1);
    ASSERT_EQ(Lines.size(), 1);
    EXPECT_TRUE(Lines[0].startsWith("Не удалось добавить запись в таблицу H с кодом 1. Ошибка: Таблица G:"));
    EXPECT_EQ(Rows(Dest, "select * from L"), QStringList{"4|y"});
    EXPECT_EQ(Rows(Dest, "select * from G"), QStringList{"4|h"});
    EXPECT_TRUE(Rows(Dest, "select * from H").isEmpty());
}

TEST_F(RowCopierTest, RejectedRowsAreReportedAndTheRestGoesOn) {
    BuildDatabases(With(ChainSchema, {"insert into A values (1, 'a1', NULL), (2, 'bad', NULL), (3, 'a3', NULL)",
                                      "create table P (K integer primary key, Name varchar(20))",
                                      "insert into P values (1, 'p')",
                                      // A key that is no integer (SQLite keeps text in an int column).
                                      "create table N (K int primary key, Name varchar(20))",
                                      "insert into N values ('x', 'nx'), (2, 'n2')"}),
                   With(ChainSchema, {"create trigger NoBad before insert on A when new.Name = 'bad' "
                                      "begin select raise(abort, 'запись отклонена'); end",
                                      // Changes the row under the condition that is to find it.
                                      "create table P (K integer primary key, Name varchar(20))",
                                      "create trigger Touch after insert on P "
                                      "begin update P set Name = Name || '!' where K = new.K; end",
                                      "create table N (K integer primary key, Name varchar(20))"}));

    EXPECT_EQ(Copy("A", "1, 2, 3"), 2);
    ASSERT_EQ(Lines.size(), 1);
    EXPECT_TRUE(Lines[0].startsWith("Не удалось добавить запись в таблицу A с кодом 2. Ошибка: "));
    EXPECT_TRUE(Lines[0].contains("запись отклонена")) << Lines[0].toStdString();
    EXPECT_EQ(Events, (QStringList{"row A 1", "row A 2"}));
    EXPECT_EQ(Rows(Dest, "select * from A order by K"), (QStringList{"1|a1|NULL", "2|a3|NULL"}));

    // The probe after the insert finds nothing: no key is made up for the row.
    Lines.clear();
    EXPECT_EQ(Copy("P", "1"), -1);
    ASSERT_EQ(Lines.size(), 1);
    EXPECT_EQ(Lines[0], "Не удалось добавить запись в таблицу P с кодом 1. Ошибка: добавленная запись не найдена "
                        "в таблице P по столбцам сопоставления, её код в базе-приемнике неизвестен");
    EXPECT_EQ(Mapped("P", 1), -1);
    EXPECT_EQ(Rows(Dest, "select * from P"), QStringList{"1|p!"}) << "the insert itself stands";

    // Reading the key belongs to the row: only that row fails.
    Lines.clear();
    Copy("N", "'x', 2");
    EXPECT_EQ(Lines, QStringList{"Не удалось добавить запись в таблицу N с кодом x. Ошибка: Значение \"x\" поля \"K\" "
                                 "не является целым числом"});
    EXPECT_EQ(Rows(Dest, "select * from N"), QStringList{"1|n2"});
    EXPECT_EQ(Mapped("N", 2), 1);
}

TEST_F(RowCopierTest, ReferenceCyclesAreClosedByAnUpdate) {
    const QStringList schema = {
        "create table T (K integer primary key, Name varchar(10), Parent int references T(K))",
        "create table X (K integer primary key, Name varchar(10), YRef int not null references Y(K))",
        "create table Y (K integer primary key, Name varchar(10), XRef int references X(K))",
    };
    BuildDatabases(With(KeysOff + schema, {"insert into T values (1, 't1', 1), (2, 't2', 3), (3, 't3', 2)",
                                 "insert into X values (1, 'x1', 1)", "insert into Y values (1, 'y1', 1)"}),
                   With(schema, {"insert into T values (1, 'old', NULL)", "insert into Y values (1, 'old', NULL)"}));

    // Itself, and two rows of one table that refer to each other.
    EXPECT_EQ(Copy("T", "1, 2, 3"), 3) << "the last row read was mapped by the nested copy";
    EXPECT_EQ(Rows(Dest, "select * from T order by K"),
              (QStringList{"1|old|NULL", "2|t1|2", "3|t3|4", "4|t2|3"}));
    EXPECT_EQ(Lines, QStringList{"  Добавлена запись в таблицу T с кодом 3"});

    // X refers to Y through a NOT NULL column; Y's reference back may be NULL for a while.
    Lines.clear();
    EXPECT_EQ(Copy("X", "1"), 1);
    EXPECT_EQ(Rows(Dest, "select * from X"), QStringList{"1|x1|2"});
    EXPECT_EQ(Rows(Dest, "select * from Y order by K"), (QStringList{"1|old|NULL", "2|y1|1"}));
    EXPECT_TRUE(Maps.Deferred.empty());
    EXPECT_TRUE(Maps.InProgress.empty());
}

TEST_F(RowCopierTest, CycleThroughNotNullColumnFailsWithoutEndlessRecursion) {
    const QStringList schema = {
        "create table X (K integer primary key, Name varchar(10), YRef int not null references Y(K))",
        "create table Y (K integer primary key, Name varchar(10), XRef int references X(K))",
    };
    BuildDatabases(With(KeysOff + schema,
                        {"insert into X values (1, 'x1', 1)", "insert into Y values (1, 'y1', 1)"}),
                   schema);

    // Starting from Y, X would have to be written with a NULL it does not allow.
    EXPECT_EQ(Copy("Y", "1"), -1);
    ASSERT_EQ(Lines.size(), 2);
    EXPECT_TRUE(Lines[0].startsWith("Не удалось добавить запись в таблицу X с кодом 1. Ошибка: запись ссылается по "
                                    "столбцу YRef на запись таблицы Y с кодом 1"))
        << Lines[0].toStdString();
    EXPECT_TRUE(Lines[0].contains("циклическая ссылка"));
    EXPECT_EQ(Lines[1], "Не удалось добавить запись в таблицу Y с кодом 1. Ошибка: Данную запись нельзя добавлять, "
                        "т.к. все элементы, которые разрешено было добавить уже добавлены.");
    EXPECT_TRUE(Rows(Dest, "select * from X").isEmpty());
    EXPECT_TRUE(Rows(Dest, "select * from Y").isEmpty());
    EXPECT_TRUE(Maps.Deferred.empty());
}

}  // namespace
