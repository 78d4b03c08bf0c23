// Statements prepared once per connection and run again: the values of each run, the
// schema as it is at each run, and a failed run that leaves nothing behind.

#include "common/TestFiles.h"
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/DbError.h"
#include "db/StatementCache.h"

#include <QSqlDatabase>
#include <gtest/gtest.h>
#include <memory>

namespace {

class PreparedStatements : public ::testing::Test {
protected:
    void SetUp() override {
        Path = Dir.Path(QStringLiteral("prepared.db"));
        CreateSqliteDatabase(Path, {QStringLiteral("create table T (K integer primary key, A varchar(20), B int)")});
        Connection.ConnectionString = SqliteConnectionString(Path);
        Connection.Open();
    }

    int Insert(const QVariant& a, const QVariant& b) {
        TADOQuery insert(&Connection);
        insert.SetSQL(QStringLiteral("insert into T (A, B) values (:A, :B)"));
        insert.ParamByName(QStringLiteral("A")).Value = a;
        insert.ParamByName(QStringLiteral("B")).DataType = TFieldType::ftInteger;
        insert.ParamByName(QStringLiteral("B")).Value = b;
        return insert.ExecSQL();
    }

    TTestDir Dir;
    QString Path;
    TADOConnection Connection;
};

TEST_F(PreparedStatements, EachRunBindsItsOwnValuesAndSeesTheSchemaOfItsTime) {
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(Insert(QStringLiteral("a%1").arg(i), i == 2 ? QVariant() : QVariant(i)), 1);
    EXPECT_EQ(Rows(Connection, QStringLiteral("select K, A, B from T order by K")),
              (QStringList{QStringLiteral("1|a1|1"), QStringLiteral("2|a2|NULL"), QStringLiteral("3|a3|3")}));

    // The same texts after the table changed: the new column is there, and gone again.
    const QString all = QStringLiteral("select * from T where K = 1");
    const QString named = QStringLiteral("select B, A from T where K = 3");
    EXPECT_EQ(Rows(Connection, all), QStringList{QStringLiteral("1|a1|1")});
    EXPECT_EQ(Rows(Connection, named), QStringList{QStringLiteral("3|a3")});
    TADOQuery alter(&Connection);
    alter.SetSQL(QStringLiteral("alter table T add C varchar(5) default 'c'"));
    alter.ExecSQL();
    EXPECT_EQ(Rows(Connection, all), QStringList{QStringLiteral("1|a1|1|c")});
    EXPECT_EQ(Rows(Connection, named), QStringList{QStringLiteral("3|a3")});
    alter.SetSQL(QStringLiteral("alter table T drop column C"));
    alter.ExecSQL();
    EXPECT_EQ(Rows(Connection, all), QStringList{QStringLiteral("1|a1|1")});

    // A statement that fails holds nothing: the transaction can end and the text runs again.
    TADOQuery begin(&Connection);
    begin.SetSQL(QStringLiteral("BEGIN TRANSACTION;"));
    begin.ExecSQL();
    TADOQuery failing(&Connection);
    failing.SetSQL(QStringLiteral("insert into T (K, A) values (:K, 'x')"));
    failing.ParamByName(QStringLiteral("K")).Value = 1;
    EXPECT_THROW(failing.ExecSQL(), EDatabaseError);
    failing.ParamByName(QStringLiteral("K")).Value = 10;
    EXPECT_EQ(failing.ExecSQL(), 1);
    begin.SetSQL(QStringLiteral("COMMIT TRANSACTION;"));
    EXPECT_NO_THROW(begin.ExecSQL());
    EXPECT_EQ(Rows(Connection, QStringLiteral("select count(*) from T")), QStringList{QStringLiteral("4")});

    // Closed and opened again, the connection prepares anew.
    Connection.Close();
    Connection.Open();
    EXPECT_EQ(Insert(QStringLiteral("a5"), 5), 1);
    EXPECT_EQ(Rows(Connection, QStringLiteral("select A from T where K = 11")), QStringList{QStringLiteral("a5")});

    // A column a kept statement names is gone: an error, not a stale answer.
    EXPECT_EQ(Rows(Connection, named), QStringList{QStringLiteral("3|a3")});
    TADOQuery drop(&Connection);
    drop.SetSQL(QStringLiteral("alter table T drop column B"));
    drop.ExecSQL();
    EXPECT_THROW(Rows(Connection, named), EDatabaseError);
}

TEST(StatementCache, KeepsTheMostRecentlyUsedWithinItsCapacity) {
    QSqlDatabase none;
    TStatementCache cache(2);
    cache.Add(QStringLiteral("a"), std::make_unique<TPreparedStatement>(none));
    cache.Add(QStringLiteral("b"), std::make_unique<TPreparedStatement>(none));
    ASSERT_NE(cache.Find(QStringLiteral("a")), nullptr);  // a is now the most recent
    cache.Add(QStringLiteral("c"), std::make_unique<TPreparedStatement>(none));
    EXPECT_NE(cache.Find(QStringLiteral("a")), nullptr);
    EXPECT_EQ(cache.Find(QStringLiteral("b")), nullptr);
    EXPECT_NE(cache.Find(QStringLiteral("c")), nullptr);
    cache.Remove(QStringLiteral("c"));
    EXPECT_EQ(cache.Find(QStringLiteral("c")), nullptr);
    cache.Clear();
    EXPECT_EQ(cache.Find(QStringLiteral("a")), nullptr);
}

}  // namespace
