// Which names each dialect writes unquoted: the only names read from a catalogue that may
// enter a statement.

#include "db/BackendRegistry.h"
#include "db/Dialect.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

void ExpectNames(const QString& provider, const QStringList& regular, const QStringList& refused) {
    const TDialect& dialect = BackendOfProvider(provider).Dialect();
    for (const QString& name : regular) EXPECT_TRUE(dialect.IsRegularName(name)) << name.toStdString();
    for (const QString& name : refused) EXPECT_FALSE(dialect.IsRegularName(name)) << name.toStdString();
}

// Refused by every dialect: statements, quotes, blanks, comments, separators, a leading
// digit, the empty name.
const QStringList CommonRefusals = {
    QStringLiteral("Межузловой_участок where 0; delete from Регион; --"), QStringLiteral("Прим'ечание"),
    QStringLiteral("Доп участок"), QStringLiteral("a;b"), QStringLiteral("a--b"), QStringLiteral("a\"b"),
    QStringLiteral("a]b"), QStringLiteral("a.b"), QStringLiteral("a,b"), QStringLiteral("a(b"),
    QStringLiteral("a\tb"), QStringLiteral("1a"), QStringLiteral(""), QStringLiteral("a\u00a0b"),
    QStringLiteral("select"), QStringLiteral("Select"), QStringLiteral("NULL"), QStringLiteral("from")};

}  // namespace

TEST(RegularName, EachDialectWritesLettersOfAnyAlphabetDigitsAndItsOwnSignsOnly) {
    const QStringList roadNames = {QStringLiteral("Титул"), QStringLiteral("Код_титула"), QStringLiteral("_x1"),
                                   QStringLiteral("Справочник_типов_знаков"), QStringLiteral("Ёлка2")};
    ExpectNames(QStringLiteral("SQLOLEDB.1"),
                roadNames + QStringList{QStringLiteral("Building"), QStringLiteral("GUID"), QStringLiteral("a$b"),
                                        QStringLiteral("a#b"), QStringLiteral("a@b"), QString(128, QLatin1Char('x'))},
                CommonRefusals + QStringList{QStringLiteral("#temp"), QStringLiteral("@var"), QStringLiteral("$a"),
                                             QStringLiteral("Transaction"), QString(129, QLatin1Char('x'))});
    // PostgreSQL folds unquoted ASCII capitals, so "GUID" written unquoted reaches "guid".
    ExpectNames(QStringLiteral("PostgreSQL"), roadNames + QStringList{QStringLiteral("guid"), QStringLiteral("a$b")},
                CommonRefusals + QStringList{QStringLiteral("GUID"), QStringLiteral("Building"), QStringLiteral("a#b"),
                                             QStringLiteral("user"), QStringLiteral("$a"), QString(64, QLatin1Char('x'))});
    ExpectNames(QStringLiteral("SQLite"),
                roadNames + QStringList{QStringLiteral("Building"), QStringLiteral("GUID"), QStringLiteral("a$b")},
                CommonRefusals + QStringList{QStringLiteral("a#b"), QStringLiteral("a@b"), QStringLiteral("$a"),
                                             QStringLiteral("Transaction"), QStringLiteral("Index")});
}
