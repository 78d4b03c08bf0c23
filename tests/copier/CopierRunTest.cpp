// ImportTables on real SQLite databases: order and marks, announced counts, the one
// transaction and how it ends (save, decline, the user's stop, a failure, a failed commit).

#include "CopierTestSupport.h"

#include "copier/CopierRun.h"
#include "copier/RunCounts.h"
#include "support/EAbort.h"
#include "support/Log.h"

#include <QFile>
#include <QRegularExpression>

namespace {

const QString SaveQuestion = "Импорт прошел успешно, сохранить?";
const QString StopQuestion = "Операция прервана пользователем. Продолжить?";
const QString KeepQuestion = "Сохранить уже перенесенные данные?";

const QStringList Schema = {
    "create table C (K integer primary key, Name varchar(20))",
    "create table B (K integer primary key, Name varchar(20), CRef int references C(K))",
    "create table A (K integer primary key, Name varchar(20), BRef int references B(K))",
    "create table S (K integer primary key, Code int, Name varchar(20))",
};

const QStringList SourceRows = {
    "insert into C values (100, 'c100'), (200, 'c200')",
    "insert into B values (10, 'b10', 100), (20, 'b20', NULL), (30, 'b30', 200)",
    "insert into A values (1, 'a1', 10), (2, 'a2', 20), (3, 'a3', 30), (4, 'a4', NULL), (5, 'a5', 10), "
    "(6, 'a6', 10)",
    "insert into S values (1, 7, 's7'), (2, 8, 's8')",
};

class CopierRunTest : public CopierTest {
protected:
    void BuildChain(const QStringList& destExtra = {}) { BuildDatabases(Schema + SourceRows, Schema + destExtra); }

    int Run(const QStringList& tables, const QStringList& selections, const QList<int>& marks = {},
            const QStringList* order = nullptr) {
        const TStringList tableList = MakeList(tables, marks);
        const TStringList orderList = order ? MakeList(*order) : TStringList();
        return ImportTables(tableList, MakeList(selections), MatchTables, MatchColumns, Source, Dest,
                            order ? &orderList : (UseDerivedOrder ? nullptr : &tableList), &Counts);
    }

    // Every row of every table of the chain, as the destination has committed it.
    QStringList CommittedContent() {
        QStringList content;
        for (const QString table : {"C", "B", "A", "S"})
            content += CommittedDestRows("select '" + table + "', * from " + table + " order by K");
        return content;
    }

    TStringList MatchTables;
    TStringList MatchColumns;
    bool UseDerivedOrder = false;
    TRunCounts Counts;  // what the last run did
};

TEST_F(CopierRunTest, CopiesInListOrderWithMarksAndAnnouncedRows) {
    BuildChain();
    MatchTables = MakeList({"S"});
    MatchColumns = MakeList({"Code"});
    Asker.Answers = {mrYes};

    // C is listed but not copied: its rows come in through the references of B.
    const int result = Run({"C", "B", "A", "S"}, {"", "", "select K from A where K <= 5", "7, 8, 9"},
                           {imSkip, imCopy, imCopy, imKeyFirst});

    EXPECT_EQ(result, 3);
    EXPECT_EQ(Asker.Asked, QStringList{SaveQuestion});
    EXPECT_EQ(Lines.mid(0, 5), (QStringList{"Импорт таблицы B - 3 записей", "  Добавлена запись в таблицу C с кодом 100",
                                           "  Добавлена запись в таблицу C с кодом 200", "Импорт таблицы A - 5 записей",
                                           "Импорт таблицы S - 3 записей"}));
    // Then, before the question, the counts: C's rows came in through B's references.
    const QStringList table = Lines.mid(5);
    ASSERT_EQ(table.size(), 7);
    EXPECT_EQ(table[0], "Итоги импорта по таблицам:");
    QStringList cells;
    for (const QString& line : table.mid(1)) {
        cells << line.simplified();
        EXPECT_EQ(line.size(), table[1].size()) << "aligned: " << line.toStdString();
    }
    EXPECT_EQ(cells, (QStringList{"Таблица Добавлено Найдено Обновлено Ошибок По ссылке", "B 3 0 0 0 0", "C 2 0 0 0 2",
                                  "A 5 0 0 0 0", "S 2 0 0 0 0", "Всего 12 0 0 0 2"}));
    EXPECT_EQ(Events, (QStringList{"start B 3 2/4", "row C 1", "row B 1", "row B 2", "row C 1", "row B 3",
                                   "start A 5 3/4", "row A 1", "row A 2", "row A 3", "row A 4", "row A 5",
                                   "start S 3 4/4", "row S 1", "row S 2", "finish"}));
    EXPECT_EQ(CommittedContent(),
              (QStringList{"C|1|c100", "C|2|c200", "B|1|b10|1", "B|2|b20|NULL", "B|3|b30|2", "A|1|a1|1",
                           "A|2|a2|2", "A|3|a3|3", "A|4|a4|NULL", "A|5|a5|1", "S|1|7|s7", "S|2|8|s8"}));
}

TEST_F(CopierRunTest, DerivedOrderLeavesTablesOfACycleOut) {
    const QStringList schema = {
        "create table X (K integer primary key, YRef int references Y(K))",
        "create table Y (K integer primary key, XRef int references X(K))",
        "create table W (K integer primary key, Name varchar(10))",
        "create table Z (K integer primary key, WRef int references W(K))",
    };
    BuildDatabases(schema + QStringList{"insert into X values (1, NULL)", "insert into W values (1, 'w'), (2, 'v')",
                                        "insert into Z values (1, 2)"},
                   schema);
    UseDerivedOrder = true;
    Asker.Answers = {mrYes};

    EXPECT_EQ(Run({"Z", "X", "W", "Y"}, {"", "", "", ""}), 2);
    EXPECT_EQ(Events, (QStringList{"start W 2 1/2", "row W 1", "row W 2", "start Z 1 2/2", "row Z 1", "finish"}));
    EXPECT_EQ(CommittedDestRows("select * from Z"), QStringList{"1|2"});
    EXPECT_TRUE(CommittedDestRows("select * from X").isEmpty());
}

TEST_F(CopierRunTest, DecliningTheSaveLeavesTheDestinationAsItWas) {
    BuildChain({"insert into C values (1, 'old')", "insert into A values (1, 'olda', NULL)"});
    const QStringList before = CommittedContent();
    Asker.Answers = {mrNo};

    EXPECT_EQ(Run({"A"}, {"1, 2, 3"}), -1);
    EXPECT_EQ(CommittedContent(), before);
    EXPECT_EQ(Rows(Dest, "select count(*) from A"), QStringList{"1"});
}

TEST_F(CopierRunTest, FailedRunIsRolledBackAndTheNextRunCommits) {
    BuildChain({"create trigger NoA6 before insert on A when new.Name = 'a6' "
                "begin select raise(abort, 'a6 refused'); end"});
    const QStringList before = CommittedContent();
    const QStringList order = {"B", "Missing"};

    EXPECT_EQ(Run({"B"}, {"10"}, {}, &order), -1);
    EXPECT_FALSE(Events.contains("finish")) << "OnFinish is not called when a run fails";
    EXPECT_TRUE(Asker.Asked.isEmpty());
    EXPECT_TRUE(Rows(Dest, "select * from B").isEmpty()) << "the copied rows were rolled back";
    EXPECT_EQ(CommittedContent(), before);

    // A transaction left open would make this BEGIN fail, or swallow its COMMIT.
    Asker.Answers = {mrYes};
    Lines.clear();
    EXPECT_EQ(Run({"B", "A"}, {"10", "5, 6"}), 1) << "A's last row failed: A is not counted";
    EXPECT_EQ(CommittedDestRows("select * from B"), QStringList{"1|b10|1"});
    EXPECT_EQ(CommittedDestRows("select * from A"), QStringList{"1|a5|1"});
    EXPECT_EQ(Lines.filter("Не удалось добавить запись в таблицу A с кодом 6.").size(), 1);
    // The refused row is counted by the step that failed it.
    EXPECT_EQ(Lines.filter(QRegularExpression("^A ")).value(0).simplified(), "A 1 0 0 1 0");
    EXPECT_EQ(Lines.last(), "Ошибки в таблице A: добавление отклонено: 1");
}

TEST_F(CopierRunTest, FailedCommitIsNotReportedAsSaved) {
    BuildChain({"create table Q (K integer primary key, CRef int references C(K) deferrable initially deferred)"});
    const QStringList before = CommittedContent();
    // A row that breaks a deferred key makes the COMMIT itself fail.
    FinishHook = [this] { Execute(Dest, "insert into Q values (1, 999)"); };
    Asker.Answers = {mrYes};
    LogLevel = 1;
    LogFileName = Dir.Path("copier.log");

    EXPECT_EQ(Run({"B"}, {"10, 20"}), -1);
    LogLevel = 0;
    LogFileName.clear();
    EXPECT_EQ(CommittedContent(), before);
    FinishHook = nullptr;
    Execute(Dest, "BEGIN TRANSACTION;");  // nothing is left open
    Execute(Dest, "ROLLBACK TRANSACTION;");
    // The failed commit is logged by its own message, as every caught error of a run is.
    QFile log(Dir.Path("copier.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString logText = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(logText.contains(QRegularExpression("\\d\\d\\d: FOREIGN KEY constraint failed\r\n")))
        << logText.toStdString();
}

class UserStopTest : public CopierRunTest {
protected:
    // The user presses Escape once, before the first column of the second row.
    void StopAtSecondRow() {
        BuildChain({"create table Marker (Note varchar(20))"});
        FinishHook = [this] { Execute(Dest, "insert into Marker values ('finished')"); };
        OnCheckAbort = [this] {
            if (++Checks == 3) throw EAbort();
        };
    }
    int Checks = 0;
};

TEST_F(UserStopTest, ContinuingHandlesTheSameRowAgain) {
    StopAtSecondRow();
    Asker.Answers = {mrYes, mrYes};
    EXPECT_EQ(Run({"A"}, {"4, 5, 6"}), 1);
    EXPECT_EQ(Asker.Asked, (QStringList{StopQuestion, SaveQuestion}));
    EXPECT_EQ(Events, (QStringList{"start A 3 1/1", "row A 1", "row C 1", "row B 1", "row A 2", "row A 3",
                                   "finish"}));
    EXPECT_EQ(CommittedDestRows("select Name from A order by K"), (QStringList{"a4", "a5", "a6"}));
}

TEST_F(UserStopTest, StopAndKeepCommitsWhatWasCopied) {
    StopAtSecondRow();
    LogLevel = 1;
    LogFileName = Dir.Path("copier.log");
    Asker.Answers = {mrNo, mrYes};

    EXPECT_EQ(Run({"A"}, {"4, 5, 6"}), -1);
    LogLevel = 0;
    LogFileName.clear();
    EXPECT_EQ(Asker.Asked, (QStringList{StopQuestion, KeepQuestion}));
    EXPECT_EQ(Lines.last(), "Импорт прерван пользователем, изменения БУДУТ ВНЕСЕНЫ в базу");
    EXPECT_EQ(Events.count("finish"), 1);
    EXPECT_EQ(CommittedDestRows("select Name from A"), QStringList{"a4"});
    // The counts hold what was done before the stop; the memo's table belongs to the save
    // question only.
    EXPECT_EQ(Counts.Tables(), QStringList{"A"});
    EXPECT_EQ(Counts.Total().Inserted, 1);
    EXPECT_EQ(Counts.Total().Failed, 0);
    EXPECT_TRUE(Lines.filter("Итоги импорта").isEmpty());
    EXPECT_EQ(CommittedDestRows("select Note from Marker"), QStringList{"finished"})
        << "OnFinish ran inside the transaction, before the COMMIT";
    QFile log(Dir.Path("copier.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString logText = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(logText.contains(": Операция прервана пользователем"));
    EXPECT_TRUE(logText.contains(": <<<Импорт Tablix"));
}

TEST_F(UserStopTest, StopInANestedCallWhoseCommitFailsEndsTheRun) {
    BuildChain({"create table Q (K integer primary key, CRef int references C(K) deferrable initially deferred)"});
    const QStringList before = CommittedContent();
    // A row that breaks a deferred key makes the COMMIT fail; the stop still ends the run.
    FinishHook = [this] { Execute(Dest, "insert into Q values (1, 999)"); };
    OnCheckAbort = [this] {
        if (++Checks == 5) throw EAbort();  // the first column of B 10, pulled in by A 5
    };
    Asker.Answers = {mrNo, mrYes};

    EXPECT_EQ(Run({"A"}, {"4, 5, 6"}), -1);
    EXPECT_EQ(Asker.Asked, (QStringList{StopQuestion, KeepQuestion})) << "nothing goes on after the stop";
    EXPECT_EQ(Events.last(), "finish");
    EXPECT_EQ(CommittedContent(), before);
    FinishHook = nullptr;
    Execute(Dest, "BEGIN TRANSACTION;");  // the failed commit was rolled back
    Execute(Dest, "ROLLBACK TRANSACTION;");
}

TEST_F(UserStopTest, StopAndDiscardRollsEverythingBack) {
    StopAtSecondRow();
    const QStringList before = CommittedContent();
    Asker.Answers = {mrNo, mrNo};

    EXPECT_EQ(Run({"A"}, {"4, 5, 6"}), -1);
    EXPECT_EQ(Lines.last(), "Импорт прерван пользователем, изменения НЕ ВНЕСЕНЫ в базу");
    EXPECT_EQ(Events.count("finish"), 1);
    EXPECT_EQ(CommittedContent(), before);
    EXPECT_TRUE(CommittedDestRows("select * from Marker").isEmpty()) << "OnFinish ran before the ROLLBACK";
    Execute(Dest, "BEGIN TRANSACTION;");  // the stop ended the transaction
    Execute(Dest, "ROLLBACK TRANSACTION;");
}

}  // namespace
