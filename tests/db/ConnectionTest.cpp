// Connection strings, providers and opening each backend.

#include "common/TestFiles.h"
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/ConnectionString.h"
#include "db/DbError.h"
#include "db/ImportDBModule.h"
#include "db/OdbcConnection.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A TCP port on 127.0.0.1 where nothing listens: one the system just handed out and took back.
int ClosedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

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
    EXPECT_EQ(BackendOf(params), TBackendKind::SqlServer);

    // The ODBC string keeps the same server, database and user; the password ends nothing.
    const QString odbc = BuildOdbcConnectionString(params, 30);
    EXPECT_EQ(odbc, QStringLiteral("DRIVER={FreeTDS};Server={srv,1433};Database={Дороги};UID={sa};"
                                   "PWD={p;a\"ss'; Data Source=evil};ClientCharset=UTF-8;Timeout=30"));
    EXPECT_EQ(OdbcBracedValue(QStringLiteral("a}b;c")), QStringLiteral("{a}}b;c}"));

    // Names ignore letter case and blanks; quoted values keep theirs; the last pair counts;
    // single quotes and doubled quotes; empty pairs mean nothing.
    const TConnectionParams other = ParseConnectionString(
        QStringLiteral(" provider = SQLite ;; LOCATION=' a ''b'' ' ; user id=x; User ID = \"y\"\"z\" ;"));
    EXPECT_EQ(other.Location(), QStringLiteral(" a 'b' "));
    EXPECT_EQ(other.UserId(), QStringLiteral("y\"z"));
    EXPECT_EQ(BackendOf(other), TBackendKind::Sqlite);
    EXPECT_EQ(ParseConnectionString(QStringLiteral("Password=\"\"")).Password(), QString());
    EXPECT_EQ(QuoteConnectionValue(QStringLiteral("plain")), QStringLiteral("plain"));

    const TConnectionParams integrated = ParseConnectionString(
        QStringLiteral("Provider=SQLOLEDB.1;Data Source=host\\SQL2019;Integrated Security=SSPI;User ID=u;Password=p"));
    EXPECT_EQ(BuildOdbcConnectionString(integrated, 0),
              QStringLiteral("DRIVER={FreeTDS};Server={host\\SQL2019};Trusted_Connection=Yes;ClientCharset=UTF-8;Timeout=0"));
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
    EXPECT_EQ(connection.Dialect().Kind(), TBackendKind::SqlServer);  // the designed provider
    connection.ConnectionString = QStringLiteral("Provider=PostgreSQL OLE DB Provider;Data Source=h");
    EXPECT_EQ(connection.Dialect().Kind(), TBackendKind::PostgreSql);
    connection.Close();  // harmless when closed
}

TEST(SqliteOpen, MissingFileIsAnErrorAndIsNotCreated) {
    TTestDir dir;
    const QString missing = dir.Path(QStringLiteral("нет.db"));
    TADOConnection connection;
    connection.ConnectionString = SqliteConnectionString(missing);
    EXPECT_EQ(MessageOf([&] { connection.Open(); }),
              QStringLiteral("Файл базы данных SQLite \"%1\" не найден").arg(missing));
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_FALSE(connection.Connected());
    EXPECT_EQ(connection.Dialect().Kind(), TBackendKind::Sqlite);

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

TEST(MssqlOpen, ClosedPortFailsQuicklyWithTheDriversText) {
    const int port = ClosedPort();
    TADOConnection connection;
    connection.ConnectionString =
        QStringLiteral("Provider=SQLOLEDB.1;Data Source=127.0.0.1,%1;Initial Catalog=Дороги;"
                       "Persist Security Info=True;User ID=sa;Password=\"x;y\"")
            .arg(port);
    // FreeTDS's own trace shows which port it was given.
    TTestDir dir;
    const QString trace = dir.Path(QStringLiteral("tds.dump"));
    qputenv("TDSDUMP", QFile::encodeName(trace));
    QElapsedTimer timer;
    timer.start();
    const QString message = MessageOf([&] { connection.Open(); });
    qunsetenv("TDSDUMP");
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_TRUE(message.contains(QStringLiteral("[FreeTDS][SQL Server]Unable to connect"))) << message.toStdString();
    QFile dump(trace);
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    EXPECT_TRUE(dump.readAll().contains(QStringLiteral("Connecting to 127.0.0.1 port %1").arg(port).toUtf8()));
    EXPECT_FALSE(connection.Connected());
    EXPECT_TRUE(QSqlDatabase::connectionNames().isEmpty());
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
        EXPECT_EQ(module.ADOConnectionSource.Dialect().Kind(), TBackendKind::SqlServer);
    }
    EXPECT_EQ(ImportDBModule, nullptr);
}

}  // namespace
