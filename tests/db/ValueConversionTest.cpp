// The conversions that keep values exact on every backend: decimal texts compared by their
// number, and empty values kept apart from NULL.

#include "db/DbError.h"
#include "db/DecimalText.h"
#include "db/ValueBinding.h"

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

TEST(ValueConversion, EmptyValuesAreBoundAsEmptyAndNullsAsTypedNulls) {
    const QVariant bytes = BindValueOf({"a", TFieldType::ftBlob, QByteArray()});
    EXPECT_FALSE(bytes.isNull());
    EXPECT_FALSE(bytes.toByteArray().isNull());
    EXPECT_TRUE(bytes.toByteArray().isEmpty());
    const QVariant text = BindValueOf({"a", TFieldType::ftMemo, QString()});
    EXPECT_FALSE(text.toString().isNull());
    const QVariant null = BindValueOf({"a", TFieldType::ftBCD, QVariant()});
    EXPECT_TRUE(null.isNull());
    EXPECT_EQ(null.typeId(), QMetaType::Double);
}

}  // namespace
