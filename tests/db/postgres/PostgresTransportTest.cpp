// How statements travel on the suite's real PostgreSQL server through libpq: a batch is one
// unit inside the run's transaction, a statement that fails leaves the transaction standing,
// and whatever way a statement travels, what it returns is the same.

#include "common/PostgresTestServer.h"
#include "common/TestFiles.h"

#include "db/ADOConnection.h"
#include "db/DbError.h"
#include "db/StatementRunner.h"

namespace {

class PostgresTransport : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_POSTGRES_SERVER();
        Name = QStringLiteral("road_transport_%1")
                   .arg(qHash(QString::fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name())), 8, 16,
                        QLatin1Char('0'));
        Connection.ConnectionString = CreatePostgresDatabase(Name);
        Connection.Open();
        ExecuteText(Connection, QStringLiteral("create table Знак (Код serial primary key, Номер int unique, Сторона varchar(10))"));
        ExecuteText(Connection, QStringLiteral("BEGIN TRANSACTION;"));
    }

    void TearDown() override {
        if (Name.isEmpty()) return;
        Connection.Close();
        DropPostgresDatabase(Name);
    }

    static TBatchStatement Insert(int number) {
        return {QStringLiteral("insert into Знак (Номер, Сторона) values (:Номер, :Сторона)"),
                {{QStringLiteral("Номер"), TFieldType::ftInteger, number},
                 {QStringLiteral("Сторона"), TFieldType::ftWideString, QStringLiteral("слева")}},
                false};
    }

    QStringList Numbers() { return Rows(Connection, QStringLiteral("select Номер from Знак order by Номер")); }

    QString Name;
    TADOConnection Connection;
};

struct TBatchCase {
    QString Name;
    QList<int> Numbers;  // one insert each; a number already there (1) is refused
    bool UndoAfter = false;
    QStringList Expected;
};

// A batch is all or nothing: one refused statement takes the batch back, and a batch that
// succeeded can still be taken back until the next statement runs.
TEST_F(PostgresTransport, ABatchIsOneUnitThatCanBeTakenBack) {
    ExecuteText(Connection, QStringLiteral("insert into Знак (Номер) values (1)"));
    const QVector<TBatchCase> cases = {
        {"all statements done", {2, 3}, false, {"1", "2", "3"}},
        {"the last statement refused", {4, 5, 1}, false, {"1", "2", "3"}},
        {"the first statement refused", {1, 6}, false, {"1", "2", "3"}},
        {"taken back after it succeeded", {7, 8}, true, {"1", "2", "3"}},
    };
    for (const TBatchCase& c : cases) {
        SCOPED_TRACE(c.Name.toStdString());
        QVector<TBatchStatement> batch;
        for (int number : c.Numbers) batch.append(Insert(number));
        const QString message = MessageOf([&] { Connection.RunBatch(batch); });
        EXPECT_EQ(message.isEmpty(), !c.Numbers.contains(1)) << message.toStdString();
        if (!message.isEmpty()) {
            EXPECT_TRUE(message.contains(QStringLiteral("(23505)"))) << message.toStdString();
        }
        if (c.UndoAfter) Connection.UndoBatch();
        EXPECT_TRUE(Connection.TransactionStands());
        EXPECT_EQ(Numbers(), c.Expected);
    }
    // Once another statement has run, the batch before it stays.
    Connection.RunBatch({Insert(9)});
    EXPECT_EQ(Rows(Connection, QStringLiteral("select count(*) from Знак")), QStringList{"4"});
    EXPECT_FALSE(MessageOf([&] { Connection.UndoBatch(); }).isEmpty());
    EXPECT_EQ(Numbers(), (QStringList{"1", "2", "3", "9"}));
}

struct TStatementCase {
    QString Name;
    QString Sql;
    QVector<TBoundParam> Params;
    QStringList Rows;   // what it returns ("error" when it fails)
    QStringList After;  // the numbers in the table afterwards
};

// One statement at a time, prepared or as a text of several: the same rows come back, a
// parameter that only meets "is NULL" is typed by its column, and a failure leaves the
// transaction standing without what the failed text did.
TEST_F(PostgresTransport, AStatementReturnsTheSameRowsWhicheverWayItTravels) {
    const TBoundParam nullSide{QStringLiteral("N"), TFieldType::ftWideString, QVariant()};
    const TBoundParam emptySide{QStringLiteral("N"), TFieldType::ftWideString, QStringLiteral("")};
    const QString probe = QStringLiteral("select Номер from Знак where (Сторона=:N or (:NN is NULL and Сторона is NULL)) order by Номер");
    const QVector<TStatementCase> cases = {
        {"several statements: the rows of the first select",
         "insert into Знак (Номер, Сторона) values (1, ''); insert into Знак (Номер) values (2); select Номер from Знак order by 1",
         {}, {"1", "2"}, {"1", "2"}},
        {"a prepared statement after a text of several", "select count(*) from Знак", {}, {"2"}, {"1", "2"}},
        {"a NULL parameter that only meets is NULL", probe, {nullSide, {"NN", TFieldType::ftWideString, QVariant()}}, {"2"},
         {"1", "2"}},
        {"an empty text, not NULL", probe, {emptySide, {"NN", TFieldType::ftWideString, QStringLiteral("")}}, {"1"},
         {"1", "2"}},
        {"a text of several that fails halfway", "insert into Знак (Номер) values (3); insert into Знак (Номер) values (1)", {},
         {"error"}, {"1", "2"}},
        {"a prepared statement that fails", "insert into Знак (Номер) values (:V)", {{"V", TFieldType::ftInteger, 2}},
         {"error"}, {"1", "2"}},
    };
    for (const TStatementCase& c : cases) {
        SCOPED_TRACE(c.Name.toStdString());
        QStringList rows;
        const QString message = MessageOf([&] {
            const TRowSet result = Connection.Run(c.Sql, c.Params, true);
            for (const QVector<QVariant>& row : result.Rows) rows << row.value(0).toString();
        });
        EXPECT_EQ(message.isEmpty() ? rows : QStringList{"error"}, c.Rows) << message.toStdString();
        EXPECT_TRUE(Connection.TransactionStands());
        EXPECT_EQ(Numbers(), c.After);
    }
}

}  // namespace
