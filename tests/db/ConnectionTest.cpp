// Connection strings, the backend a provider names, and the data module.

#include "common/TestFiles.h"
#include "db/ADOConnection.h"
#include "db/Backend.h"
#include "db/BackendRegistry.h"
#include "db/ConnectionString.h"
#include "db/DbError.h"
#include "db/ImportDBModule.h"

#include <gtest/gtest.h>

namespace {

TEST(ConnectionString, QuotedValuesKeepSemicolonsAndQuotes) {
    const QString password = QStringLiteral("p;a\"ss'; Data Source=evil");
    const QString text = QStringLiteral("Provider=SQLOLEDB.1;Data Source=srv,1433;Initial Catalog=Дороги;"
                                        "User ID=sa;Password=") +
                         QuoteConnectionValue(password) + QStringLiteral(";Persist Security Info=True");
    const TConnectionParams params = ParseConnectionString(text);
    EXPECT_EQ(params.Password(), password);
    EXPECT_EQ(params.DataSource(), QStringLiteral("srv,1433"));
    EXPECT_EQ(params.InitialCatalog(), QStringLiteral("Дороги"));
    EXPECT_EQ(params.UserId(), QStringLiteral("sa"));
    EXPECT_EQ(BackendOf(params).Id(), QStringLiteral("mssql"));

    // Names ignore letter case and blanks; quoted values keep theirs; the last pair counts;
    // single quotes and doubled quotes; empty pairs mean nothing.
    const TConnectionParams other = ParseConnectionString(
        QStringLiteral(" provider = SQLite ;; LOCATION=' a ''b'' ' ; user id=x; User ID = \"y\"\"z\" ;"));
    EXPECT_EQ(other.Location(), QStringLiteral(" a 'b' "));
    EXPECT_EQ(other.UserId(), QStringLiteral("y\"z"));
    EXPECT_EQ(BackendOf(other).Id(), QStringLiteral("sqlite"));
    EXPECT_EQ(ParseConnectionString(QStringLiteral("Password=\"\"")).Password(), QString());
    EXPECT_EQ(QuoteConnectionValue(QStringLiteral("plain")), QStringLiteral("plain"));

}

TEST(ConnectionString, MalformedStringsAndUnknownProvidersAreRefusedClearly) {
    EXPECT_EQ(MessageOf([] { ParseConnectionString(QStringLiteral("Provider=SQLite;Location=\"a.db")); }),
              QStringLiteral("Ошибка в строке подключения: не закрыта кавычка в значении \"Location\""));
    // An unquoted password with ";" leaves a piece without "=": the message shows no value.
    EXPECT_EQ(MessageOf([] { ParseConnectionString(QStringLiteral("Provider=SQLOLEDB.1;Password=ab;secret")); }),
              QStringLiteral("Ошибка в строке подключения: в элементе 3 нет знака \"=\""));
    EXPECT_EQ(MessageOf([] { ParseConnectionString(QStringLiteral("=x")); }),
              QStringLiteral("Ошибка в строке подключения: у элемента 1 нет имени"));
    EXPECT_EQ(MessageOf([] { ParseConnectionString(QStringLiteral("Password=\"a\"b")); }),
              QStringLiteral("Ошибка в строке подключения: после закрывающей кавычки значения \"Password\" "
                             "стоит лишний текст"));

    TADOConnection connection;
    connection.ConnectionString = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb");
    EXPECT_EQ(MessageOf([&] { connection.Open(); }),
              QStringLiteral("Провайдер \"Microsoft.Jet.OLEDB.4.0\" не поддерживается"));
    EXPECT_EQ(MessageOf([&] { connection.Dialect(); }),
              QStringLiteral("Провайдер \"Microsoft.Jet.OLEDB.4.0\" не поддерживается"));
    EXPECT_FALSE(connection.Connected());
    connection.ConnectionString.clear();
    EXPECT_EQ(MessageOf([&] { connection.Open(); }), QStringLiteral("Строка подключения не задана"));
    EXPECT_EQ(connection.Backend().Id(), QStringLiteral("mssql"));  // the designed provider
    connection.ConnectionString = QStringLiteral("Provider=PostgreSQL OLE DB Provider;Data Source=h");
    EXPECT_EQ(connection.Backend().Id(), QStringLiteral("postgres"));
    connection.Close();  // harmless when closed
}

TEST(ImportDBModule, CreatedWithBothConnectionsClosed) {
    {
        TImportDBModule module;
        EXPECT_EQ(ImportDBModule, &module);
        EXPECT_FALSE(module.ADOConnectionSource.Connected());
        EXPECT_FALSE(module.ADOConnectionDest.Connected());
        EXPECT_FALSE(module.ADOConnectionSource.LoginPrompt);
        EXPECT_EQ(module.SourceQuery.Connection, &module.ADOConnectionSource);
        EXPECT_EQ(module.DestDictQuery.Connection, &module.ADOConnectionDest);
        EXPECT_EQ(module.ADOConnectionSource.Backend().Id(), QStringLiteral("mssql"));
    }
    EXPECT_EQ(ImportDBModule, nullptr);
}

}  // namespace
