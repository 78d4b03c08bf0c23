// Rows copied in batches on the suite's real PostgreSQL server end exactly as they end one at
// a time: each import runs twice from the same source, into a destination that takes batches
// and into one that is asked to take rows one at a time, and the memo and the destination's
// content must agree (keys aside: a batch that is undone has drawn keys from the sequence).

#include "CopierTestSupport.h"

#include "common/PostgresTestServer.h"
#include "copier/CopierRun.h"
#include "copier/RunCounts.h"
#include "db/RunEnding.h"
#include "db/ADOQuery.h"
#include "support/EAbort.h"

#include <memory>

namespace {

// The same PostgreSQL connection, which tells the copier to send its rows one at a time.
class TRowByRowConnection : public TADOConnection {
public:
    int BatchRows() const override { return 1; }
};

struct TImportOutcome {
    int Result = 0;
    QStringList Lines;
    QStringList Content;
    std::exception_ptr Failure;  // what failed the run, when something did
};

class PostgresBatchTest : public CopierTest {
protected:
    void SetUp() override {
        CopierTest::SetUp();
        REQUIRE_POSTGRES_SERVER();
        // Tests that run at the same time never share a database.
        const QString test = QString::fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name());
        for (const char* role : {"source", "dest", "alone"})
            Names << QStringLiteral("road_batch_%1_%2").arg(qHash(test), 8, 16, QLatin1Char('0')).arg(QLatin1String(role));
        Source.ConnectionString = CreatePostgresDatabase(Names[0]);
        Dest.ConnectionString = CreatePostgresDatabase(Names[1]);
        Alone.ConnectionString = CreatePostgresDatabase(Names[2]);
        for (TADOConnection* connection : {&Source, &Dest, static_cast<TADOConnection*>(&Alone)}) connection->Open();
        ASSERT_GT(Dest.BatchRows(), 1);
    }

    void TearDown() override {
        CopierTest::TearDown();
        for (TADOConnection* connection : {&Source, &Dest, static_cast<TADOConnection*>(&Alone)}) connection->Close();
        for (const QString& name : Names) DropPostgresDatabase(name);
    }

    // The statements that run on all three databases, then those for the source alone.
    void Build(const QStringList& all, const QStringList& source) {
        for (const QString& statement : all) {
            Execute(Dest, statement);
            Execute(Alone, statement);
        }
        for (const QString& statement : all + source) Execute(Source, statement);
    }

    // Imports the tables into the destination, saving; content: a statement whose rows show
    // what the destination holds.
    TImportOutcome Import(TADOConnection& dest, const QStringList& tables, const TStringList& matchTables,
                          const TStringList& matchColumns, const QString& content) {
        Lines.clear();
        Asker.Answers = {mrYes};
        const TStringList list = MakeList(tables);
        QStringList selections;
        for (const QString& table : tables) selections << QStringLiteral("select Код from ") + table;
        TImportOutcome outcome;
        TRunCounts counts;
        outcome.Result = ImportTables(list, MakeList(selections), matchTables, matchColumns, Source, dest, &list, &counts);
        outcome.Failure = counts.Failure;
        outcome.Lines = Lines;
        if (!content.isEmpty()) outcome.Content = Rows(dest, content);
        return outcome;
    }

    // Signs 1..rows on the source (those in right on the right side, numbered 1000 + key) and
    // their types, of which the destinations lack the third; destination runs on both
    // destinations.
    void BuildSigns(int rows, const QList<int>& right, const QStringList& destination) {
        QStringList source = {"insert into Тип (Название) values ('Предупреждающий'), ('Запрещающий'), ('Временный')"};
        for (int k = 1; k <= rows; ++k)
            source << QStringLiteral("insert into Знак values (%1, %2, '%3', %4)")
                          .arg(k)
                          .arg(k % 3 + 1)
                          .arg(right.contains(k) ? QStringLiteral("справа") : QStringLiteral("слева"))
                          .arg(1000 + k);
        Build({"drop table if exists Знак", "drop table if exists Тип",
               "create table Тип (Код serial primary key, Название varchar(50) not null)",
               "create table Знак (Код serial primary key, Тип int references Тип, Сторона varchar(10) not null, Номер int)"},
              source);
        for (TADOConnection* dest : {&Dest, static_cast<TADOConnection*>(&Alone)})
            for (const QString& statement :
                 QStringList{"insert into Тип (Название) values ('Предупреждающий'), ('Запрещающий')"} + destination)
                Execute(*dest, statement);
    }

    const QString SignsContent =
        "select t.Название, z.Сторона, z.Номер from Знак z join Тип t on t.Код = z.Тип order by z.Номер";

    // Both imports; the one in batches must end as the one row by row.
    TImportOutcome ImportBothWays(const QStringList& tables, const TStringList& matchTables,
                                  const TStringList& matchColumns, const QString& content) {
        const TImportOutcome alone = Import(Alone, tables, matchTables, matchColumns, content);
        const TImportOutcome batched = Import(Dest, tables, matchTables, matchColumns, content);
        EXPECT_EQ(batched.Result, alone.Result);
        EXPECT_EQ(batched.Lines.join('\n').toStdString(), alone.Lines.join('\n').toStdString());
        EXPECT_EQ(batched.Content.join('\n').toStdString(), alone.Content.join('\n').toStdString());
        return batched;
    }

    TRowByRowConnection Alone;
    QStringList Names;  // of the source, the destination in batches, the one row by row
};

struct TRefusalCase {
    QString Name;
    int Rows = 0;
    QList<int> Refused;  // source keys of the rows on the right side, which the trigger refuses
};

// A destination trigger refuses some rows of a batch: exactly those are reported, each as
// alone, and the rest of the batch is copied; a row pulled in between (a type the destination
// lacks) is copied once.
TEST_F(PostgresBatchTest, RowsTheServerRefusesInABatchAreReportedAloneAndTheRestIsCopied) {
    const QVector<TRefusalCase> cases = {
        {"one refused row among accepted ones", 10, {4}},
        {"the first and the last row refused", 10, {1, 10}},
        {"refused rows across several batches", 250, {3, 37, 38, 120, 201, 250}},
        {"every row refused", 5, {1, 2, 3, 4, 5}},
    };
    for (const TRefusalCase& c : cases) {
        SCOPED_TRACE(c.Name.toStdString());
        BuildSigns(c.Rows, c.Refused,
                   {"create or replace function Отказ_справа() returns trigger language plpgsql as $$ begin "
                    "if new.Сторона = 'справа' then raise exception 'знаки справа не принимаются'; end if; "
                    "return new; end $$",
                    "create trigger Знак_справа before insert on Знак for each row execute function Отказ_справа()"});

        const TImportOutcome outcome = ImportBothWays({"Знак"}, MakeList({"Тип"}), MakeList({"Название"}), SignsContent);
        QStringList failures = outcome.Lines.filter(QStringLiteral("Не удалось добавить"));
        QStringList expected;
        for (int k : c.Refused)
            expected << QStringLiteral("Не удалось добавить запись в таблицу Знак с кодом %1. Ошибка: ").arg(k);
        failures.sort();
        expected.sort();
        ASSERT_EQ(failures.size(), expected.size()) << outcome.Lines.join('\n').toStdString();
        for (int i = 0; i < failures.size(); ++i) {
            EXPECT_TRUE(failures[i].startsWith(expected[i])) << failures[i].toStdString();
            EXPECT_TRUE(failures[i].contains(QStringLiteral("знаки справа не принимаются"))) << failures[i].toStdString();
        }
        EXPECT_EQ(outcome.Content.size(), c.Rows - c.Refused.size());
        EXPECT_EQ(Rows(Dest, "select count(*) from Тип where Название = 'Временный'"), QStringList{"1"});
    }
}

struct TDictionaryCase {
    QString Name;
    QString Collation;     // of the match column; empty: the database's own
    QStringList Coverings;  // the source's rows in key order; the destination lacks Needed
    QString Needed;
    QList<int> Sharing;  // the source keys that name Needed as the column's collation compares
};

// A dictionary row that the destination lacks, named by two rows of one batch: inserted for
// the first, found and reused for the second, as row by row, also where only the column's
// collation tells the two names equal.
TEST_F(PostgresBatchTest, ADictionaryRowTwoRowsOfABatchNeedIsInsertedOnceAndReused) {
    QStringList many;
    for (int i = 1; i <= 60; ++i) many << QStringLiteral("Покрытие %1").arg(i);
    const QVector<TDictionaryCase> cases = {
        {"the two rows side by side", "", {"Асфальт", "Бетон", "Бетон", "Щебень"}, "Бетон", {2, 3}},
        {"the two rows far apart", "", many.mid(0, 50) + QStringList{"Бетон"} + many.mid(50) + QStringList{"Бетон"},
         "Бетон", {51, 62}},
        {"names equal only in the column's collation", "road_batch_level1",
         {"Асфальт", "Ёлочка", "Щебень", "Елочка"}, "Елочка", {2, 4}},
    };
    for (const TDictionaryCase& c : cases) {
        SCOPED_TRACE(c.Name.toStdString());
        const QString collation = c.Collation.isEmpty() ? QString() : QStringLiteral(" collate ") + c.Collation;
        const QStringList schema = {
            "drop table if exists Участок", "drop table if exists Покрытие",
            "drop collation if exists road_batch_level1",
            // Letter case and diacritics aside, as level 1 of the Unicode collation compares.
            "create collation road_batch_level1 (provider = icu, locale = 'und-u-ks-level1', deterministic = false)",
            "create table Покрытие (Код serial primary key, Описание varchar(100)" + collation + " not null)",
            "create table Участок (Код serial primary key, Покрытие int references Покрытие, Номер int)",
            "insert into Покрытие (Описание) values ('Гравий')"};
        QStringList source;
        for (int k = 0; k < c.Coverings.size(); ++k) {
            source << QStringLiteral("insert into Покрытие values (%1, '%2')").arg(k + 100).arg(c.Coverings[k]);
            source << QStringLiteral("insert into Участок values (%1, %2, %1)").arg(k + 1).arg(k + 100);
        }
        Build(schema, source);

        const TImportOutcome outcome = ImportBothWays(
            {"Покрытие", "Участок"}, MakeList({"Покрытие"}), MakeList({"Описание"}),
            "select u.Номер, p.Описание from Участок u join Покрытие p on p.Код = u.Покрытие order by u.Номер");
        EXPECT_EQ(outcome.Result, 2) << outcome.Lines.join('\n').toStdString();
        EXPECT_TRUE(outcome.Lines.filter(QStringLiteral("Не удалось")).isEmpty()) << outcome.Lines.join('\n').toStdString();
        EXPECT_EQ(Rows(Dest, "select count(*) from Покрытие where Описание = '" + c.Needed + "'"), QStringList{"1"});
        const QStringList sharing = Rows(Dest, QStringLiteral("select count(distinct Покрытие) from Участок where Номер in (%1, %2)")
                                                   .arg(c.Sharing[0])
                                                   .arg(c.Sharing[1]));
        EXPECT_EQ(sharing, QStringList{"1"});
        EXPECT_EQ(outcome.Content.size(), c.Coverings.size());
    }
}

struct TStopCase {
    QString Name;
    int Rows = 0;
    int StopAt = 0;  // the source key of the row during which the user stops
    bool Save = false;
};

// The user stops the run in the middle of a batch: the rows before the stopped one are settled
// first, and what is saved (or not) is what row by row would have saved.
TEST_F(PostgresBatchTest, AStopInTheMiddleOfABatchSavesWhatRowByRowWouldSave) {
    const QVector<TStopCase> cases = {
        {"saved, the batch not yet full", 10, 6, true},
        {"declined", 10, 6, false},
        {"saved, after a full batch", 160, 130, true},
    };
    for (const TStopCase& c : cases) {
        SCOPED_TRACE(c.Name.toStdString());
        BuildSigns(c.Rows, {}, {});
        // Three copied columns a row, and one of each type that the first three signs pull in:
        // the stop comes at the first column of its row.
        const auto stopAt = [&] {
            auto checks = std::make_shared<int>(0);
            OnCheckAbort = [checks, c] {
                if ((*checks)++ == 3 * (c.StopAt - 1) + 3) throw EAbort();
            };
        };
        const auto import = [&](TADOConnection& dest) {
            stopAt();
            Lines.clear();
            Asker.Answers = {mrNo, c.Save ? mrYes : mrNo};
            const TStringList list = MakeList({"Знак"});
            EXPECT_EQ(ImportTables(list, MakeList({"select Код from Знак"}), MakeList({"Тип"}), MakeList({"Название"}),
                                   Source, dest, &list),
                      -1);
            return std::make_pair(Lines, Rows(dest, SignsContent));
        };
        const auto alone = import(Alone);
        const auto batched = import(Dest);
        EXPECT_EQ(batched.first.join('\n').toStdString(), alone.first.join('\n').toStdString());
        EXPECT_EQ(batched.second.join('\n').toStdString(), alone.second.join('\n').toStdString());
        EXPECT_EQ(batched.second.size(), c.Save ? c.StopAt - 1 : 0);
    }
}

// The server ends the transaction in the middle of a batch (here the session itself is ended):
// the run stops at once, without replaying the batch row by row into a transaction that is
// gone, and nothing is saved.
TEST_F(PostgresBatchTest, ATransactionTheServerEndsInABatchEndsTheRunWithoutReplay) {
    BuildSigns(10, {}, {"create or replace function Конец() returns trigger language plpgsql as $$ begin "
                        "if new.Номер = 1005 then perform pg_terminate_backend(pg_backend_pid()); end if; "
                        "return new; end $$",
                        "create trigger Знак_конец before insert on Знак for each row execute function Конец()"});
    const TImportOutcome outcome = Import(Dest, {"Знак"}, MakeList({"Тип"}), MakeList({"Название"}), QString());
    Asker.Answers.clear();
    EXPECT_EQ(outcome.Result, -1);
    ASSERT_TRUE(outcome.Failure);
    EXPECT_THROW(std::rethrow_exception(outcome.Failure), ETransactionEnded);
    EXPECT_TRUE(Lines.filter(QStringLiteral("Не удалось добавить")).isEmpty()) << Lines.join('\n').toStdString();
    TADOConnection fresh;
    fresh.ConnectionString = Dest.ConnectionString;
    fresh.Open();
    EXPECT_EQ(Rows(fresh, "select count(*) from Знак"), QStringList{"0"});
    EXPECT_EQ(Rows(fresh, "select count(*) from Тип"), QStringList{"2"});
}

}  // namespace
