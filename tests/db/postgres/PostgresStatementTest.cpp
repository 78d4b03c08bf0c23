// What PostgreSQL statements are made of before they reach the server: parameters written
// as literals, and names looked up in the catalogue as the server folds them. No server is
// needed; the driver only formats values.

#include "db/DbError.h"
#include "db/postgres/PostgresDialect.h"
#include "db/postgres/PostgresStatement.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <gtest/gtest.h>

namespace {

class PostgresStatement : public ::testing::Test {
protected:
    void SetUp() override {
        Db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("postgres-statement-test"));
        if (!Db.isValid()) GTEST_SKIP() << "the QPSQL driver is not installed";
    }
    void TearDown() override {
        Db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("postgres-statement-test"));
    }
    QSqlDatabase Db;
};

TEST_F(PostgresStatement, ParametersBecomeLiteralsOutsideQuotesCommentsAndCasts) {
    const QVector<TBoundParam> params = {
        {QStringLiteral("Name"), TFieldType::ftWideString, QStringLiteral("Д'Артаньян")},
        {QStringLiteral("Key"), TFieldType::ftInteger, -5},
        {QStringLiteral("Guid"), TFieldType::ftGuid, QVariant()},
    };
    EXPECT_EQ(PostgresTextWithLiterals(Db, QStringLiteral("select ':Name', x::int -- :Key\n"
                                                            "from T where a=:name and b-:KEY > 0 and (:Guid is NULL)"),
                                       params),
              QStringLiteral("select ':Name', x::int -- :Key\n"
                             "from T where a=('Д''Артаньян') and b-(-5) > 0 and ((NULL) is NULL)"));
    try {
        PostgresTextWithLiterals(Db, QStringLiteral("select :Other"), params);
        FAIL() << "a parameter the text names but nobody set must be refused";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Параметр \"Other\" не найден"));
    }
}

// A timestamp column keeps the wall-clock time whatever the session's time zone; a
// timestamptz column gets the instant. The offset in the literal serves both.
TEST_F(PostgresStatement, DateTimesCarryTheirOffsetFromUtc) {
    const QDate date(2001, 2, 3);
    const QTime time(4, 5, 6, 789);
    EXPECT_EQ(PostgresLiteral(Db, QDateTime(date, time, Qt::OffsetFromUTC, 3 * 3600)),
              QStringLiteral("'2001-02-03 04:05:06.789+03:00'"));
    EXPECT_EQ(PostgresLiteral(Db, QDateTime(date, time, Qt::OffsetFromUTC, -(5 * 3600 + 1800))),
              QStringLiteral("'2001-02-03 04:05:06.789-05:30'"));
    EXPECT_EQ(PostgresLiteral(Db, QDateTime(date, time, Qt::UTC)), QStringLiteral("'2001-02-03 04:05:06.789+00:00'"));
    EXPECT_EQ(PostgresLiteral(Db, QVariant(QMetaType::fromType<QDateTime>())), QStringLiteral("NULL"));
}

// Unquoted names fold in ASCII letters only: "Building" is found as building, "Титул" as
// it is, and never a table whose name differs in the case of a Cyrillic letter.
TEST(PostgresDialect, NamesAreLookedUpAsTheServerFoldsThem) {
    const TPostgresDialect dialect;
    EXPECT_NE(dialect.PrimaryKeyStatement(QStringLiteral("Building")).indexOf(QStringLiteral("c.relname = 'building'")), -1);
    EXPECT_NE(dialect.ColumnListStatement(QStringLiteral("Титул_GUID")).indexOf(QStringLiteral("c.relname = 'Титул_guid'")), -1);
    EXPECT_NE(dialect.ReferencingTablesStatement(QStringLiteral("Д'Т")).indexOf(QStringLiteral("rc.relname = 'Д''Т'")), -1);
    EXPECT_EQ(dialect.ForeignKeysStatement(QStringLiteral("Титул")).indexOf(QStringLiteral("lower(c.relname)")), -1);
}

}  // namespace
