// SQL Server through ODBC: the connection string FreeTDS gets, opening against an address
// where nothing listens, and the date-time texts that carry every digit of the second.

#include "common/SilentServer.h"
#include "common/TestFiles.h"
#include "db/ADOConnection.h"
#include "db/ConnectionString.h"
#include "db/mssql/MssqlValueReading.h"
#include "db/mssql/OdbcConnection.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <gtest/gtest.h>

namespace {

// The ODBC string keeps the same server, database and user; the password ends nothing.
TEST(MssqlConnectionString, OdbcStringKeepsEveryParameterWhole) {
    const QString password = QStringLiteral("p;a\"ss'; Data Source=evil");
    const TConnectionParams params = ParseConnectionString(
        QStringLiteral("Provider=SQLOLEDB.1;Data Source=srv,1433;Initial Catalog=Дороги;User ID=sa;Password=") +
        QuoteConnectionValue(password) + QStringLiteral(";Persist Security Info=True"));
    const QString odbc = BuildOdbcConnectionString(params, 30);
    EXPECT_EQ(odbc, QStringLiteral("DRIVER={FreeTDS};Server={srv,1433};Database={Дороги};UID={sa};"
                                   "PWD={p;a\"ss'; Data Source=evil};TDS_Version=7.4;ClientCharset=UTF-8;Timeout=30"));
    EXPECT_EQ(OdbcBracedValue(QStringLiteral("a}b;c")), QStringLiteral("{a}}b;c}"));

    const TConnectionParams integrated = ParseConnectionString(
        QStringLiteral("Provider=SQLOLEDB.1;Data Source=host\\SQL2019;Integrated Security=SSPI;User ID=u;Password=p"));
    EXPECT_EQ(BuildOdbcConnectionString(integrated, 0),
              QStringLiteral("DRIVER={FreeTDS};Server={host\\SQL2019};Trusted_Connection=Yes;TDS_Version=7.4;ClientCharset=UTF-8;Timeout=0"));
}

TEST(MssqlConnectionString, OdbcDriverCanBeChosenByTheEnvironment) {
    const TConnectionParams params = ParseConnectionString(
        QStringLiteral("Provider=SQLOLEDB.1;Data Source=srv;User ID=u;Password=p}x"));
    qputenv("ROAD_IMPORT_MSSQL_ODBC_DRIVER", "ODBC Driver 18 for SQL Server");
    const QString odbc = BuildOdbcConnectionString(params, 30);
    qunsetenv("ROAD_IMPORT_MSSQL_ODBC_DRIVER");
    // FreeTDS's own keywords stay out of another driver's string.
    EXPECT_EQ(odbc, QStringLiteral("DRIVER={ODBC Driver 18 for SQL Server};Server={srv};UID={u};PWD={p}}x}"));
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

TEST(MssqlValues, OdbcDateTimesKeepTheirColumnsDigitsOfTheSecond) {
    const TOdbcTimestamp value{2024, 2, 9, 3, 4, 5, 123456789};
    EXPECT_EQ(OdbcTimestampText(value, 0), QStringLiteral("2024-02-09T03:04:05"));
    EXPECT_EQ(OdbcTimestampText(value, 3), QStringLiteral("2024-02-09T03:04:05.123"));
    EXPECT_EQ(OdbcTimestampText(value, 7), QStringLiteral("2024-02-09T03:04:05.1234567"));
    EXPECT_EQ(OdbcTimestampText(value, 9), QStringLiteral("2024-02-09T03:04:05.123456789"));
    EXPECT_EQ(OdbcTimestampText({1, 1, 1, 0, 0, 0, 5000}, 7), QStringLiteral("0001-01-01T00:00:00.0000050"));
    // The reading asks the driver manager itself for these values.
    EXPECT_NE(OdbcFunction("SQLGetData"), nullptr);
}

}  // namespace
