// The conversions that keep values exact: decimal texts compared by their number, a
// decimal text stored in SQLite only when SQLite holds it whole, SQL Server date-times
// written with their column's digits, and empty values kept apart from NULL.

#include "db/DbError.h"
#include "db/DecimalText.h"
#include "db/OdbcConnection.h"
#include "db/ValueBinding.h"
#include "db/ValueReading.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

TEST(ValueConversion, DecimalTextsHaveOneSpellingPerNumber) {
    const struct {
        const char* Text;
        const char* Canonical;  // nullptr: no number
    } cases[] = {
        {"-12.50", "-1.25e1"},  {"0.003", "3e-3"},      {"-0.00", "0"},    {"1.5E+3", "1.5e3"},
        {" +7 ", "7e0"},        {"1.", "1e0"},          {".5", "5e-1"},    {"12345678901234.5678", "1.23456789012345678e13"},
        {"", nullptr},          {"1e", nullptr},        {"--1", nullptr},  {"1,5", nullptr},
        {"$1.00", nullptr},     {"0x10", nullptr},      {"1e+", nullptr},  {".", nullptr},
    };
    for (const auto& c : cases) {
        const std::optional<QString> canonical = CanonicalDecimal(QString::fromUtf8(c.Text));
        if (c.Canonical) {
            ASSERT_TRUE(canonical.has_value()) << c.Text;
            EXPECT_EQ(*canonical, QString::fromUtf8(c.Canonical)) << c.Text;
        } else {
            EXPECT_FALSE(canonical.has_value()) << c.Text;
        }
    }
    EXPECT_TRUE(SameDecimal(u"12.5000", u"1.25e1"));
    EXPECT_TRUE(SameDecimal(*CanonicalDecimal(u"-12345678901234.5678"), u"-12345678901234.5678"));
    EXPECT_FALSE(SameDecimal(u"12.5001", u"12.5"));
    EXPECT_EQ(ShortestDoubleText(0.1 + 0.2), QStringLiteral("0.30000000000000004"));
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
            stored = BindValueOf({QStringLiteral("Val1"), TFieldType::ftBCD, c.Text}, TBackendKind::Sqlite);
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.message(),
                      QStringLiteral("Значение %1 нельзя записать в базу SQLite без потери точности").arg(c.Text));
            stored = refused;
        }
        EXPECT_EQ(stored.typeId(), c.Stored.typeId()) << c.Text.toStdString();
        EXPECT_EQ(stored, c.Stored) << c.Text.toStdString();
    }
    // The other backends take the text as it is; other types are not decimals.
    EXPECT_EQ(BindValueOf({"a", TFieldType::ftBCD, "12345678901234.5678"}, TBackendKind::SqlServer),
              QVariant("12345678901234.5678"));
    EXPECT_EQ(BindValueOf({"a", TFieldType::ftWideString, "12345678901234.5678"}, TBackendKind::Sqlite),
              QVariant("12345678901234.5678"));
}

TEST(ValueConversion, EmptyValuesAreBoundAsEmptyAndNullsAsTypedNulls) {
    const QVariant bytes = BindValueOf({"a", TFieldType::ftBlob, QByteArray()}, TBackendKind::Sqlite);
    EXPECT_FALSE(bytes.isNull());
    EXPECT_FALSE(bytes.toByteArray().isNull());
    EXPECT_TRUE(bytes.toByteArray().isEmpty());
    const QVariant text = BindValueOf({"a", TFieldType::ftMemo, QString()}, TBackendKind::SqlServer);
    EXPECT_FALSE(text.toString().isNull());
    const QVariant null = BindValueOf({"a", TFieldType::ftBCD, QVariant()}, TBackendKind::Sqlite);
    EXPECT_TRUE(null.isNull());
    EXPECT_EQ(null.typeId(), QMetaType::Double);
}

TEST(ValueConversion, OdbcDateTimesKeepTheirColumnsDigitsOfTheSecond) {
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
