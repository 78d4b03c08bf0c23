// Statement texts as the layer reads them: placeholders and bound values,
// and the recording connection that other tests check statement texts with.

#include "common/RecordingConnection.h"
#include "db/ADOQuery.h"
#include "db/Backend.h"
#include "db/SqlText.h"
#include "db/ValueBinding.h"

#include <gtest/gtest.h>

namespace {

TEST(StatementText, PlaceholdersOutsideQuotesCommentsAndCasts) {
    const TPositionalText text = ToPositionalPlaceholders(QStringLiteral(
        "select [a:b], N'it''s :x', \"c:d\", x::int, :Val1 /* :y */ from T where k in (:Where1, :val1, :_код)"));
    EXPECT_EQ(text.Text, QStringLiteral(
        "select [a:b], N'it''s :x', \"c:d\", x::int, ? /* :y */ from T where k in (?, ?, ?)"));
    EXPECT_EQ(text.Names, (QStringList{"Val1", "Where1", "val1", "_код"}));
    EXPECT_EQ(ParameterNames(QStringLiteral("a = :Val1 or b = :VAL1 or c = :Val2 -- :Val3")),
              (QStringList{"Val1", "Val2"}));
    EXPECT_TRUE(ToPositionalPlaceholders(QStringLiteral("select '10:30', 1 :2")).Names.isEmpty());
}

TEST(StatementText, NullValuesAreBoundAsNullsOfTheirType) {
    const QVariant number = BindValueOf({QStringLiteral("a"), TFieldType::ftInteger, QVariant()});
    EXPECT_TRUE(number.isNull());
    EXPECT_EQ(number.typeId(), QMetaType::Int);
    const QVariant blob = BindValueOf({QStringLiteral("b"), TFieldType::ftBlob, QVariant()});
    EXPECT_TRUE(blob.isNull());
    EXPECT_EQ(blob.typeId(), QMetaType::QByteArray);
    EXPECT_EQ(BindValueOf({QStringLiteral("c"), TFieldType::ftInteger, 5}).toInt(), 5);
}

TEST(RecordingConnection, RecordsTextsAndParametersAndAnswersThroughTheResponder) {
    TRecordingConnection connection;
    EXPECT_EQ(connection.Backend().Id(), QStringLiteral("mssql"));
    connection.Open();
    EXPECT_TRUE(connection.Connected());
    connection.Responder = [](const QString& sql, const QVector<TBoundParam>&, bool wantRows) {
        return wantRows && sql.startsWith(QStringLiteral("select"))
                   ? MakeRowSet({QStringLiteral("Column_name")}, {{QStringLiteral("Код")}, {QStringLiteral("Имя")}})
                   : TRowSet();
    };
    TADOQuery query(&connection);
    query.SetSQL(QStringLiteral("select name from T where a = :Val1 and b = :Val1"));
    query.ParamByName(QStringLiteral("Val1")).Value = 3;
    query.Open();
    EXPECT_EQ(query.RecordCount(), 2);
    EXPECT_EQ(query.FieldByName(QStringLiteral("COLUMN_NAME")).AsString(), QStringLiteral("Код"));
    ASSERT_EQ(connection.Statements.size(), 1);
    EXPECT_EQ(connection.Statements[0], QStringLiteral("select name from T where a = :Val1 and b = :Val1"));
    ASSERT_EQ(connection.Params[0].size(), 1);
    EXPECT_EQ(connection.Params[0][0].Value.toInt(), 3);

    connection.ConnectionString = QStringLiteral("Provider=SQLite;Location=x.db");
    EXPECT_EQ(connection.Backend().Id(), QStringLiteral("sqlite"));
}

}  // namespace
