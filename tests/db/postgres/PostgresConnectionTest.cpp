// The connection layer against the suite's real PostgreSQL server: a statement with
// parameters round-trips Cyrillic text, and a wrong password is refused with the server's word.

#include "common/PostgresTestServer.h"
#include "common/TestFiles.h"

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"

TEST(PostgresConnection, ParametersRoundTripAndAWrongPasswordIsRefused) {
    REQUIRE_POSTGRES_SERVER();
    TADOConnection connection;
    connection.ConnectionString = CreatePostgresDatabase(QStringLiteral("road_connection_test"));
    connection.Open();
    connection.Run(QStringLiteral("create table Титул (Код_титула serial primary key, Наименование varchar(100))"), {}, false);
    connection.Run(QStringLiteral("insert into Титул (Наименование) values (:Name)"),
                   {{QStringLiteral("Name"), TFieldType::ftWideString, QStringLiteral("Дорога «Д'Артаньян»")}}, false);
    EXPECT_EQ(Rows(connection, QStringLiteral("select Код_титула, Наименование from Титул")),
              QStringList{QStringLiteral("1|Дорога «Д'Артаньян»")});
    connection.Close();
    DropPostgresDatabase(QStringLiteral("road_connection_test"));

    TADOConnection intruder;
    intruder.ConnectionString = PostgresAdminConnectionString() + QStringLiteral(";Password=wrong");
    const QString message = MessageOf([&] { intruder.Open(); });
    EXPECT_TRUE(message.contains(QStringLiteral("password authentication failed"))) << message.toStdString();
}
