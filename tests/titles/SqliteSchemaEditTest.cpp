// Adding and dropping SQLite foreign keys by editing the stored CREATE TABLE text.

#include "TitleTestSupport.h"

#include "db/ADOQuery.h"
#include "db/DbError.h"
#include "db/sqlite/SqliteSchemaEdit.h"

#include <QRegularExpression>

class SqliteSchemaEdit : public ::testing::Test {
protected:
    void SetUp() override {
        Path = Dir.Path(QStringLiteral("edit.db"));
        CreateSqliteDatabase(
            Path,
            {QStringLiteral("create table P (id integer primary key, name text)"),
             QStringLiteral("create table \"Q q\" (id integer primary key)"),
             QStringLiteral(
                 "create table C (\n"
                 "  id integer primary key,\n"
                 "  p1 int CONSTRAINT fk_named REFERENCES P (id) ON DELETE CASCADE ON UPDATE NO ACTION\n"
                 "     DEFERRABLE INITIALLY DEFERRED NOT NULL DEFAULT 0,\n"
                 "  p2 int references \"P\"(id) match simple,\n"
                 "  q int REFERENCES [Q q] (id),\n"
                 "  note text DEFAULT 'REFERENCES P (id), FOREIGN KEY' -- says REFERENCES P (id), too\n"
                 "  , /* FOREIGN KEY (p2) REFERENCES P (id) */ p3 int,\n"
                 "  CONSTRAINT fk_table FOREIGN KEY (p3) REFERENCES p (id) ON DELETE SET NULL,\n"
                 "  FOREIGN KEY (q) REFERENCES \"Q q\" (id),\n"
                 "  CHECK (p1 >= 0)\n"
                 ")"),
             QStringLiteral("create index ix_c on C (p2)"),
             QStringLiteral("create trigger tr_c after insert on C begin update P set name = 'seen' where id = new.p1; end"),
             QStringLiteral("insert into P (id, name) values (1, 'один'), (2, 'два')"),
             QStringLiteral("insert into \"Q q\" (id) values (5)"),
             QStringLiteral("insert into C (id, p1, p2, q, note, p3) values (10, 1, 2, 5, 'первая', 1), (11, 2, NULL, NULL, NULL, NULL)")});
        Connection.ConnectionString = SqliteConnectionString(Path);
        Connection.Open();
    }

    QStringList Keys() { return Rows(Connection, QStringLiteral("select \"table\", \"from\" from pragma_foreign_key_list('C')")); }
    QString TableText() { return Rows(Connection, QStringLiteral("select sql from sqlite_master where name = 'C'")).value(0); }

    TTestDir Dir;
    QString Path;
    TADOConnection Connection;
};

TEST_F(SqliteSchemaEdit, DropRemovesEveryKeyToTheTableAndNothingElse) {
    const QStringList rows = Rows(Connection, QStringLiteral("select * from C order by id"));
    ASSERT_EQ(Keys().filter(QRegularExpression(QStringLiteral("^[Pp]\\|"))).size(), 3);
    SqliteDropForeignKeys(Connection, QStringLiteral("C"), QStringLiteral("P"));

    EXPECT_EQ(Keys(), (QStringList{QStringLiteral("Q q|q"), QStringLiteral("Q q|q")}));
    const QString text = TableText();
    for (const char* kept : {"NOT NULL DEFAULT 0", "DEFAULT 'REFERENCES P (id), FOREIGN KEY'", "-- says REFERENCES P (id), too",
                             "/* FOREIGN KEY (p2) REFERENCES P (id) */ p3 int", "CHECK (p1 >= 0)", "REFERENCES [Q q] (id)"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(kept))) << kept << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("fk_named")));
    EXPECT_FALSE(text.contains(QStringLiteral("fk_table")));
    EXPECT_FALSE(text.contains(QStringLiteral("match")));

    // Rows, index, trigger and the remaining constraints all still work.
    EXPECT_EQ(Rows(Connection, QStringLiteral("select * from C order by id")), rows);
    EXPECT_EQ(Rows(Connection, QStringLiteral("pragma integrity_check")), QStringList{QStringLiteral("ok")});
    EXPECT_EQ(Scalar(Connection, QStringLiteral("select count(*) from sqlite_master where name in ('ix_c', 'tr_c')")), 2);
    Execute(Connection, QStringLiteral("insert into C (id, p1, p2) values (12, 99, 98)"));  // no key to P any more
    Execute(Connection, QStringLiteral("insert into C (id, p1) values (13, 2)"));
    EXPECT_EQ(Rows(Connection, QStringLiteral("select name from P where id = 2")), QStringList{QStringLiteral("seen")});
    EXPECT_THROW(Execute(Connection, QStringLiteral("insert into C (id, p1) values (14, -1)")), EDatabaseError);
    EXPECT_THROW(Execute(Connection, QStringLiteral("insert into C (id, q) values (15, 6)")), EDatabaseError);

    // Nothing left to drop: the text stays as it is.
    SqliteDropForeignKeys(Connection, QStringLiteral("C"), QStringLiteral("P"));
    EXPECT_EQ(TableText(), text);
}

TEST_F(SqliteSchemaEdit, AddedKeyIsInForceAtOnceAndSeenByOtherConnections) {
    SqliteDropForeignKeys(Connection, QStringLiteral("C"), QStringLiteral("P"));
    SqliteAddForeignKey(Connection, QStringLiteral("C"), QStringLiteral("p2"), QStringLiteral("P"), QStringLiteral("id"));
    EXPECT_TRUE(TableText().endsWith(
        QStringLiteral("FOREIGN KEY (p2) REFERENCES P (id) ON DELETE NO ACTION ON UPDATE NO ACTION\n)")));
    EXPECT_EQ(Keys().filter(QStringLiteral("P|")), QStringList{QStringLiteral("P|p2")});
    EXPECT_THROW(Execute(Connection, QStringLiteral("insert into C (id, p2) values (20, 777)")), EDatabaseError);

    // A name that needs quotes, and a second, equal key.
    SqliteAddForeignKey(Connection, QStringLiteral("C"), QStringLiteral("q"), QStringLiteral("Q q"), QStringLiteral("id"));
    SqliteAddForeignKey(Connection, QStringLiteral("C"), QStringLiteral("p2"), QStringLiteral("P"), QStringLiteral("id"));
    EXPECT_EQ(Keys().filter(QStringLiteral("P|")).size(), 2);
    EXPECT_EQ(Keys().filter(QStringLiteral("Q q|")).size(), 3);

    TADOConnection other;
    other.ConnectionString = SqliteConnectionString(Path);
    other.Open();
    EXPECT_EQ(Rows(other, QStringLiteral("select \"from\" from pragma_foreign_key_list('C') where \"table\" = 'P'")).size(), 2);
    EXPECT_EQ(Rows(other, QStringLiteral("pragma integrity_check")), QStringList{QStringLiteral("ok")});
}

TEST_F(SqliteSchemaEdit, EditsJoinTheOpenTransactionAndFailuresChangeNothing) {
    const QString text = TableText();
    Execute(Connection, QStringLiteral("BEGIN TRANSACTION;"));
    SqliteDropForeignKeys(Connection, QStringLiteral("C"), QStringLiteral("P"));
    EXPECT_EQ(Keys().size(), 2);
    Execute(Connection, QStringLiteral("ROLLBACK TRANSACTION;"));
    EXPECT_EQ(TableText(), text);
    EXPECT_EQ(Keys().size(), 5);

    EXPECT_THROW(SqliteAddForeignKey(Connection, QStringLiteral("Нет"), QStringLiteral("p2"), QStringLiteral("P"),
                                     QStringLiteral("id")),
                 EDatabaseError);
    EXPECT_THROW(SqliteAddForeignKey(Connection, QStringLiteral("C"), QStringLiteral("нет"), QStringLiteral("P"),
                                     QStringLiteral("id")),
                 EDatabaseError);
    EXPECT_THROW(SqliteAddForeignKey(Connection, QStringLiteral("C"), QStringLiteral("p2"), QStringLiteral("P"),
                                     QStringLiteral("нет")),
                 EDatabaseError);
    SqliteDropForeignKeys(Connection, QStringLiteral("Нет"), QStringLiteral("P"));  // no table: nothing to drop
    EXPECT_EQ(TableText(), text);
    EXPECT_EQ(Scalar(Connection, QStringLiteral("pragma writable_schema")), 0);
}
