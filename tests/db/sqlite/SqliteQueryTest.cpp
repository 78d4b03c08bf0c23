// Queries on real SQLite files: parameters, NULLs, types, transactions, errors, names.

#include "common/TestFiles.h"
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/DbError.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

class SqliteQuery : public ::testing::Test {
protected:
    void SetUp() override {
        Path = Dir.Path(QStringLiteral("test.db"));
        CreateSqliteDatabase(Path, {
            QStringLiteral("create table Титул (Код_титула integer primary key, Наименование nvarchar(100), "
                           "Заметка ntext, Схема image, Данные varbinary(-1), Код binary(4), "
                           "Флаг bit, Сумма money, Дата datetime, Метка uniqueidentifier, "
                           "Длинный varchar(2147483647), Короткий varchar(10), Число float)"),
        });
        Connection.ConnectionString = SqliteConnectionString(Path);
        Connection.Open();
    }

    // Runs a statement and answers the single value of its first row.
    QVariant Scalar(const QString& sql) {
        TADOQuery query(&Connection);
        query.SetSQL(sql);
        query.Open();
        return query.Fields(0).Value();
    }

    TTestDir Dir;
    QString Path;
    TADOConnection Connection;
};

TEST_F(SqliteQuery, NamedParametersBindEveryOccurrenceAndUnknownNamesAreRefused) {
    TADOQuery query(&Connection);
    query.SetSQL(QStringLiteral("insert into Титул (Код_титула, Наименование, Короткий) values (:Val1, :Имя, :имя)"));
    ASSERT_EQ(query.Parameters().size(), 2);  // a name used twice is one parameter, case ignored
    query.ParamByName(QStringLiteral("Val1")).Value = 7;
    query.ParamByName(QStringLiteral("ИМЯ")).Value = QStringLiteral("Дорога");
    EXPECT_EQ(query.ExecSQL(), 1);

    // A colon inside a literal, a quoted name or a comment is text, "::" is no parameter.
    query.SetSQL(QStringLiteral("select Наименование, ':Нет' as \"a:b\" -- :Нет\n from Титул where Код_титула = :Val1"));
    ASSERT_EQ(query.Parameters().size(), 1);
    EXPECT_EQ(query.Parameters()[0].Value.toInt(), 7);  // kept: the name stayed
    query.Open();
    ASSERT_EQ(query.RecordCount(), 1);
    EXPECT_EQ(query.FieldByName(QStringLiteral("наименование")).AsString(), QStringLiteral("Дорога"));
    EXPECT_EQ(query.Fields(1).AsString(), QStringLiteral(":Нет"));
    EXPECT_EQ(query.Fields(1).FieldName(), QStringLiteral("a:b"));
    EXPECT_EQ(Scalar(QStringLiteral("select Короткий from Титул")).toString(), QStringLiteral("Дорога"));

    EXPECT_EQ(MessageOf([&] { query.ParamByName(QStringLiteral("Val2")); }),
              QStringLiteral("Параметр \"Val2\" не найден"));
    EXPECT_EQ(MessageOf([&] { query.FieldByName(QStringLiteral("Нет_такого")); }),
              QStringLiteral("Поле \"Нет_такого\" не найдено"));
}

TEST_F(SqliteQuery, NullValuesTravelWithTheirDataTypeAndReadAsEmpty) {
    TADOQuery query(&Connection);
    query.SetSQL(QStringLiteral("insert into Титул (Код_титула, Наименование, Флаг, Дата, Сумма) values (1, :Name, :Flag, :Date, :Sum)"));
    query.ParamByName(QStringLiteral("Name")).DataType = TFieldType::ftWideString;
    query.ParamByName(QStringLiteral("Flag")).DataType = TFieldType::ftBoolean;
    query.ParamByName(QStringLiteral("Date")).DataType = TFieldType::ftDateTime;
    query.ParamByName(QStringLiteral("Sum")).DataType = TFieldType::ftCurrency;
    query.ExecSQL();

    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from Титул where Наименование is null and Флаг is null "
                                    "and Дата is null and Сумма is null")).toInt(), 1);
    query.SetSQL(QStringLiteral("select Наименование, Флаг, Сумма from Титул"));
    query.Open();
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(query.Fields(i).IsNull());
        EXPECT_EQ(query.Fields(i).AsString(), QString());
        EXPECT_EQ(query.Fields(i).AsInteger(), 0);
    }
}

TEST_F(SqliteQuery, DeclaredTypesDecideTheFieldTypesAndLargeObjects) {
    TADOQuery query(&Connection);
    query.SetSQL(QStringLiteral("insert into Титул values (1, 'a', 'memo', x'00', x'01', x'02030405', 1, 1.5, "
                                "'2020-01-02 03:04:05', newid(), 'long', 'short', 2.5)"));
    query.ExecSQL();
    query.SetSQL(QStringLiteral("select t.*, count(*) as Всего, max(Число) * 2 as Удвоено, 'x' || Наименование as Текст "
                                "from Титул t"));
    query.Open();
    const QVector<TFieldType> expected{
        TFieldType::ftInteger, TFieldType::ftWideString, TFieldType::ftMemo,     TFieldType::ftGraphic,
        TFieldType::ftBlob,    TFieldType::ftBytes,      TFieldType::ftBoolean,  TFieldType::ftCurrency,
        TFieldType::ftDateTime, TFieldType::ftGuid,      TFieldType::ftMemo,     TFieldType::ftString,
        TFieldType::ftFloat,   TFieldType::ftInteger,    TFieldType::ftFloat,    TFieldType::ftWideString};
    ASSERT_EQ(query.FieldCount(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(query.Fields(i).DataType(), expected[i]) << query.Fields(i).FieldName().toStdString();
    const QVector<bool> large{false, false, true, true, true, false, false, false,
                              false, false, true, false, false, false, false, false};
    for (int i = 0; i < large.size(); ++i) EXPECT_EQ(IsLargeObject(query.Fields(i).DataType()), large[i]) << i;
    EXPECT_EQ(query.FieldByName(QStringLiteral("Флаг")).AsString(), QStringLiteral("True"));
    EXPECT_EQ(query.FieldByName(QStringLiteral("Флаг")).AsInteger(), 1);
    EXPECT_EQ(query.FieldByName(QStringLiteral("Схема")).Value().toByteArray(), QByteArray(1, '\0'));
    EXPECT_EQ(query.FieldByName(QStringLiteral("Всего")).AsInteger(), 1);
}

TEST_F(SqliteQuery, TransactionStatementsAreSentAsTheyStand) {
    TADOQuery query(&Connection);
    const auto run = [&](const QString& sql) {
        query.SetSQL(sql);
        return query.ExecSQL();
    };
    run(QStringLiteral("BEGIN TRANSACTION;"));
    run(QStringLiteral("insert into Титул (Код_титула) values (1)"));
    run(QStringLiteral("ROLLBACK TRANSACTION;"));
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from Титул")).toInt(), 0);

    run(QStringLiteral("BEGIN TRANSACTION;"));
    run(QStringLiteral("insert into Титул (Код_титула) values (2)"));
    // A schema change inside the transaction, while another result was read before it.
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from Титул")).toInt(), 1);
    run(QStringLiteral("ALTER TABLE Титул ADD GUID uniqueidentifier NULL"));
    run(QStringLiteral("ALTER TABLE Титул DROP COLUMN GUID;"));
    run(QStringLiteral("COMMIT TRANSACTION;"));

    TADOConnection other;
    other.ConnectionString = SqliteConnectionString(Path);
    other.Open();
    TADOQuery check(&other);
    check.SetSQL(QStringLiteral("select Код_титула from Титул"));
    check.Open();
    ASSERT_EQ(check.RecordCount(), 1);
    EXPECT_EQ(check.Fields(0).AsInteger(), 2);
}

TEST_F(SqliteQuery, RowsAffectedAndSeveralStatementsInOneText) {
    TADOQuery query(&Connection);
    query.SetSQL(QStringLiteral("insert into Титул (Код_титула) values (1); insert into Титул (Код_титула) values (2);\n"
                                "insert into Титул (Код_титула, Наименование) values (3, 'x;y');"));
    EXPECT_EQ(query.ExecSQL(), 3);
    query.SetSQL(QStringLiteral("update Титул set Наименование = 'z' where Код_титула > :From"));
    query.ParamByName(QStringLiteral("From")).Value = 1;
    EXPECT_EQ(query.ExecSQL(), 2);
    query.SetSQL(QStringLiteral("delete from Титул where Код_титула = 99"));
    EXPECT_EQ(query.ExecSQL(), 0);
    // Statements that change no rows report none, whatever ran before them.
    query.SetSQL(QStringLiteral("update Титул set Наименование = 'w'"));
    EXPECT_EQ(query.ExecSQL(), 3);
    query.SetSQL(QStringLiteral("create table Другая (a int)"));
    EXPECT_EQ(query.ExecSQL(), 0);

    // Open of a text without rows runs it and leaves an empty query; ExecSQL of a select
    // runs without rows.
    query.SetSQL(QStringLiteral("delete from Титул where Код_титула = 3"));
    query.Open();
    EXPECT_TRUE(query.Active());
    EXPECT_TRUE(query.Eof());
    EXPECT_TRUE(query.IsEmpty());
    EXPECT_EQ(query.FieldCount(), 0);
    EXPECT_EQ(query.RowsAffected(), 1);
    query.SetSQL(QStringLiteral("select * from Титул"));
    query.ExecSQL();
    EXPECT_EQ(query.RecordCount(), 0);

    // Rows: navigation over the whole fetched result.
    query.SetSQL(QStringLiteral("select Код_титула from Титул order by 1"));
    query.Open();
    EXPECT_EQ(query.RecordCount(), 2);
    QList<int> keys;
    for (; !query.Eof(); query.Next()) keys << query.Fields(0).AsInteger();
    EXPECT_EQ(keys, (QList<int>{1, 2}));
    query.First();
    EXPECT_EQ(query.Fields(0).AsInteger(), 1);
}

TEST_F(SqliteQuery, ErrorsCarryTheDriversText) {
    TADOQuery query(&Connection);
    query.SetSQL(QStringLiteral("select * from Нет_такой"));
    EXPECT_EQ(MessageOf([&] { query.Open(); }), QStringLiteral("no such table: Нет_такой"));
    query.SetSQL(QStringLiteral("insert into Титул (Код_титула) values (1)"));
    query.ExecSQL();
    EXPECT_EQ(MessageOf([&] { query.ExecSQL(); }),
              QStringLiteral("UNIQUE constraint failed: Титул.Код_титула"));
    // The connection stays usable after an error.
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from Титул")).toInt(), 1);

    TADOQuery unbound;
    unbound.SetSQL(QStringLiteral("select 1"));
    EXPECT_EQ(MessageOf([&] { unbound.Open(); }), QStringLiteral("Запрос не связан с подключением"));
    TADOConnection closed;
    TADOQuery onClosed(&closed);
    onClosed.SetSQL(QStringLiteral("select 1"));
    EXPECT_EQ(MessageOf([&] { onClosed.Open(); }), QStringLiteral("Подключение к базе данных не открыто"));
}

TEST_F(SqliteQuery, ForeignKeysAreEnforced) {
    TADOQuery query(&Connection);
    query.SetSQL(QStringLiteral("create table Дефект (Код integer primary key, Код_титула int references Титул (Код_титула))"));
    query.ExecSQL();
    query.SetSQL(QStringLiteral("insert into Дефект values (1, 42)"));
    EXPECT_EQ(MessageOf([&] { query.ExecSQL(); }), QStringLiteral("FOREIGN KEY constraint failed"));
}

TEST_F(SqliteQuery, NewIdGivesFreshUpperCaseGuids) {
    TADOQuery query(&Connection);
    query.SetSQL(QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < 200) "
                                "select newid() from n"));
    query.Open();
    const QRegularExpression form(QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
    QSet<QString> seen;
    for (; !query.Eof(); query.Next()) {
        const QString guid = query.Fields(0).AsString();
        EXPECT_TRUE(form.match(guid).hasMatch()) << guid.toStdString();
        seen.insert(guid);
    }
    EXPECT_EQ(seen.size(), 200);
}

TEST_F(SqliteQuery, UnicodeCaseInsensitiveCollationOnCyrillic) {
    EXPECT_EQ(Scalar(QStringLiteral("select 'СПРАВОЧНИК_Ёлка' = 'справочник_ёлка' collate UNICODE_CI")).toInt(), 1);
    EXPECT_EQ(Scalar(QStringLiteral("select 'Дорога' = 'Дорогой' collate UNICODE_CI")).toInt(), 0);
    TADOQuery query(&Connection);
    query.SetSQL(QStringLiteral("insert into Титул (Код_титула, Наименование) values (1, 'бета'), (2, 'Альфа'), (3, 'БЕТА1'), (4, 'альфа0')"));
    query.ExecSQL();
    query.SetSQL(QStringLiteral("select Наименование from Титул order by Наименование collate UNICODE_CI"));
    query.Open();
    QStringList names;
    for (; !query.Eof(); query.Next()) names << query.Fields(0).AsString();
    EXPECT_EQ(names, (QStringList{"Альфа", "альфа0", "бета", "БЕТА1"}));
}

TEST_F(SqliteQuery, CommandTimeoutInterruptsALongStatement) {
    Connection.CommandTimeout = 1;
    TADOQuery query(&Connection);
    query.SetSQL(QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n) "
                                "select count(*) from n"));
    EXPECT_EQ(MessageOf([&] { query.Open(); }), QStringLiteral("Превышено время выполнения команды (1 с)"));
    // The next statement runs normally, with its own deadline.
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from Титул")).toInt(), 0);
}

}  // namespace

TEST_F(SqliteQuery, AStreamedTextReadBeforeStartsAgainAtItsFirstRow) {
    for (int key = 1; key <= 5; ++key) {
        TADOQuery insert(&Connection);
        insert.SetSQL(QStringLiteral("insert into Титул (Код_титула) values (%1)").arg(key));
        insert.ExecSQL();
    }
    const QString text = QStringLiteral("select Код_титула from Титул where Код_титула >= :From order by 1");
    struct TCase {
        const char* Earlier;
        int RowsReadBefore;  // -1: to the end
        bool StillOpen;
    };
    const TCase cases[] = {{"read to the end", -1, false}, {"given up after a row", 1, false}, {"still open", 2, true}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Earlier);
        TADOQuery earlier(&Connection);
        earlier.SetSQL(text);
        earlier.ParamByName(QStringLiteral("From")).Value = 1;
        earlier.OpenStreamed();
        for (int read = 0; !earlier.Eof() && read != c.RowsReadBefore; ++read) earlier.Next();
        if (!c.StillOpen) earlier.Close();
        TADOQuery again(&Connection);
        again.SetSQL(text);
        again.ParamByName(QStringLiteral("From")).Value = 2;
        QList<int> keys;
        for (again.OpenStreamed(); !again.Eof(); again.Next()) keys << again.Fields(0).AsInteger();
        EXPECT_EQ(keys, QList<int>({2, 3, 4, 5}));
        if (c.StillOpen) {
            EXPECT_FALSE(earlier.Eof());
            EXPECT_EQ(earlier.Fields(0).AsInteger(), 3) << "the earlier cursor goes on where it was";
        }
    }
}

TEST_F(SqliteQuery, AResultFollowsItsTablesColumnsWhenTheSchemaChanges) {
    const QString text = QStringLiteral("select * from Титул");
    const int before = [&] {
        TADOQuery query(&Connection);
        query.SetSQL(text);
        query.Open();
        return query.FieldCount();
    }();
    TADOQuery alter(&Connection);
    alter.SetSQL(QStringLiteral("alter table Титул add column Добавленный integer"));
    alter.ExecSQL();
    for (const bool streamed : {false, true}) {
        SCOPED_TRACE(streamed ? "streamed" : "fetched whole");
        TADOQuery query(&Connection);
        query.SetSQL(text);
        if (streamed) query.OpenStreamed();
        else query.Open();
        EXPECT_EQ(query.FieldCount(), before + 1);
        EXPECT_NO_THROW(query.FieldByName(QStringLiteral("Добавленный")));
    }
}
