// What PostgreSQL statements are made of before they reach the server: parameters written
// as literals or numbered and typed for the server to prepare, values as the text it reads,
// and names looked up in the catalogue as the server folds them. No server is needed; the
// driver only formats values.

#include "db/DbError.h"
#include "db/postgres/PostgresDialect.h"
#include "db/postgres/PostgresParameters.h"
#include "db/postgres/PostgresStatement.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <gtest/gtest.h>
#include <limits>

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

struct TPreparedCase {
    QString Sql;
    QString Text;
    QStringList Names;
    QString Typing;  // empty: the server types every parameter itself
};

// Placeholders become the server's numbered parameters, one per name; a parameter that only
// meets "is NULL" is typed by the column it is paired with.
TEST(PostgresPreparedText, ParametersAreNumberedAndTypedByTheirColumn) {
    const QVector<TPreparedCase> cases = {
        {"SELECT K FROM T WHERE (GUID=:Where3 or (:WhereN3 is NULL and GUID is NULL))",
         "SELECT K FROM T WHERE (GUID=$1 or ($2 is NULL and GUID is NULL))", {"Where3", "WhereN3"},
         "SELECT K FROM T WHERE (GUID=$1 or (coalesce($2, GUID) is NULL and GUID is NULL))"},
        {"UPDATE T SET A=:SetVal1  WHERE (Код=:Where2 or (:WhereN2 IS null and Код is NULL))",
         "UPDATE T SET A=$1  WHERE (Код=$2 or ($3 IS null and Код is NULL))", {"SetVal1", "Where2", "WhereN2"},
         "UPDATE T SET A=$1  WHERE (Код=$2 or (coalesce($3, Код) IS null and Код is NULL))"},
        {"select 1 from T where (:W is NULL and \"Col x\" is NULL)", "select 1 from T where ($1 is NULL and \"Col x\" is NULL)",
         {"W"}, "select 1 from T where (coalesce($1, \"Col x\") is NULL and \"Col x\" is NULL)"},
        {"INSERT INTO T(A, B ) VALUES(:Val1, :Val2 )", "INSERT INTO T(A, B ) VALUES($1, $2 )", {"Val1", "Val2"}, ""},
        {"select :a, x::int, ':a' -- :b\nfrom T where y = :A", "select $1, x::int, ':a' -- :b\nfrom T where y = $1",
         {"a"}, ""},
        {"select 1 where :P is NULL", "select 1 where $1 is NULL", {"P"}, ""},
        {"select 1 where :P is NULL and c is NULL or c = :P", "select 1 where $1 is NULL and c is NULL or c = $1", {"P"}, ""},
    };
    for (const TPreparedCase& c : cases) {
        SCOPED_TRACE(c.Sql.toStdString());
        const TPostgresPreparedText prepared = PostgresPreparedText(c.Sql);
        EXPECT_EQ(QString::fromUtf8(prepared.Text), c.Text);
        EXPECT_EQ(prepared.Names, c.Names);
        EXPECT_EQ(QString::fromUtf8(prepared.TypingText), c.Typing);
    }
}

// Values as the server reads them: an empty text or binary value stays empty (not NULL),
// numbers read back the same, and a text the server cannot hold is refused, not cut short.
TEST(PostgresPreparedText, ValuesTravelAsTheTextTheServerReads) {
    const QVector<QPair<QVariant, QString>> cases = {
        {QVariant(QMetaType::fromType<QString>()), "NULL"},
        {QStringLiteral(""), ""},
        {QByteArray("", 0), "\\x"},
        {QByteArray("\x00\xff", 2), "\\x00ff"},
        {true, "true"},
        {0.1 + 0.2, "0.30000000000000004"},
        {std::numeric_limits<double>::infinity(), "Infinity"},
        {std::numeric_limits<double>::quiet_NaN(), "NaN"},
        {QVariant(qlonglong(-9223372036854775807LL - 1)), "-9223372036854775808"},
        {QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6, 789), Qt::OffsetFromUTC, -3600), "2001-02-03 04:05:06.789-01:00"},
        {QStringLiteral("Д'Артаньян"), "Д'Артаньян"},
    };
    for (const auto& [value, text] : cases) {
        const std::optional<QByteArray> sent = PostgresParameterText(value);
        EXPECT_EQ(sent ? QString::fromUtf8(*sent) : QStringLiteral("NULL"), text) << text.toStdString();
    }
    EXPECT_THROW(PostgresParameterText(QStringLiteral("a") + QChar(0) + QStringLiteral("b")), EDatabaseError);
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
