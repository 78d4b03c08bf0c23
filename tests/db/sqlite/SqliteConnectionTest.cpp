// Opening an SQLite file, splitting a text of statements, and binding decimals as SQLite
// stores them.

#include "common/TestFiles.h"
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/Backend.h"
#include "db/ConnectionString.h"
#include "db/DbError.h"
#include "db/ValueBinding.h"
#include "db/sqlite/SqliteNative.h"
#include "db/sqlite/SqliteValues.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <gtest/gtest.h>

namespace {

TEST(SqliteOpen, MissingFileIsAnErrorAndIsNotCreated) {
    TTestDir dir;
    const QString missing = dir.Path(QStringLiteral("нет.db"));
    TADOConnection connection;
    connection.ConnectionString = SqliteConnectionString(missing);
    EXPECT_EQ(MessageOf([&] { connection.Open(); }),
              QStringLiteral("Файл базы данных SQLite \"%1\" не найден").arg(missing));
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_FALSE(connection.Connected());
    EXPECT_EQ(connection.Backend().Id(), QStringLiteral("sqlite"));

    // An empty file is an empty database; Data Source serves when Location is absent; a
    // path with URI characters opens as written.
    const QString odd = dir.Path(QStringLiteral("a%20b?c#d.db"));
    QFile file(odd);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    connection.ConnectionString = QStringLiteral("Provider=SQLite;Data Source=") + QuoteConnectionValue(odd);
    connection.Open();
    EXPECT_TRUE(connection.Connected());
    connection.Open();  // opening an open connection changes nothing
    TADOQuery query(&connection);
    query.SetSQL(QStringLiteral("create table T (a int)"));
    query.ExecSQL();
    connection.Close();
    EXPECT_FALSE(connection.Connected());
    EXPECT_GT(QFileInfo(odd).size(), 0);
    EXPECT_FALSE(QFileInfo::exists(dir.Path(QStringLiteral("a b"))));

    // A file that is no database is refused at opening, with SQLite's text.
    const QString text = dir.Path(QStringLiteral("text.db"));
    QFile textFile(text);
    ASSERT_TRUE(textFile.open(QIODevice::WriteOnly));
    textFile.write(QByteArray(4096, 'x'));
    textFile.close();
    connection.ConnectionString = SqliteConnectionString(text);
    EXPECT_EQ(MessageOf([&] { connection.Open(); }), QStringLiteral("file is not a database"));
    EXPECT_FALSE(connection.Connected());

    // Every connection leaves no Qt connection name behind.
    EXPECT_TRUE(QSqlDatabase::connectionNames().isEmpty());
}

TEST(StatementText, SqliteStatementsSplitAtTheirOwnSemicolons) {
    const QStringList statements = SplitSqliteStatements(QStringLiteral(
        "insert into T values ('a;b'); -- done; really\n"
        "create trigger G after insert on T begin update T set a = 1; delete from U; end;\n"
        " ; /* nothing */ ;select 1"));
    ASSERT_EQ(statements.size(), 3);
    EXPECT_EQ(statements[0], QStringLiteral("insert into T values ('a;b');"));
    EXPECT_TRUE(statements[1].trimmed().startsWith(QStringLiteral("-- done; really\ncreate trigger")));
    EXPECT_TRUE(statements[1].endsWith(QStringLiteral("end;")));
    EXPECT_EQ(statements[2].trimmed(), QStringLiteral("select 1"));
}

// What a decimal text becomes on SQLite: an integer, a double that reads back as the same
// number, the text itself when it is no number, or a refusal instead of a rounded value.
TEST(ValueConversion, SqliteStoresADecimalTextOnlyWhenItKeepsEveryDigit) {
    const QString refused = QStringLiteral("refused");
    const struct {
        QString Text;
        QVariant Stored;
    } cases[] = {
        {"12.5000", 12.5},
        {"-0.0001", -0.0001},
        {"0.1", 0.1},
        {"100", qlonglong(100)},
        {"1e3", qlonglong(1000)},
        {"-0.00", qlonglong(0)},
        {"9223372036854775807", qlonglong(9223372036854775807LL)},
        {"-9223372036854775808", QVariant(qlonglong(-9223372036854775807LL - 1))},
        {"9223372036854775808", refused},
        {"12345678901234.5678", refused},
        {"123456789012345678.1234567891", refused},
        {"1.7976931348623157e308", 1.7976931348623157e308},
        {"$1.00", "$1.00"},
    };
    for (const auto& c : cases) {
        QVariant stored;
        try {
            stored = SqliteBindValueOf({QStringLiteral("Val1"), TFieldType::ftBCD, c.Text});
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.message(),
                      QStringLiteral("Значение %1 нельзя записать в базу SQLite без потери точности").arg(c.Text));
            stored = refused;
        }
        EXPECT_EQ(stored.typeId(), c.Stored.typeId()) << c.Text.toStdString();
        EXPECT_EQ(stored, c.Stored) << c.Text.toStdString();
    }
    // The other backends take the text as it is; other types are not decimals.
    EXPECT_EQ(BindValueOf({"a", TFieldType::ftBCD, "12345678901234.5678"}),
              QVariant("12345678901234.5678"));
    EXPECT_EQ(SqliteBindValueOf({"a", TFieldType::ftWideString, "12345678901234.5678"}),
              QVariant("12345678901234.5678"));
}

}  // namespace
