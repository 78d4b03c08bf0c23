// Every value arrives exactly: one table of edge values per backend is imported through
// ImportTables and the destination compared with the source byte for byte. Each case is
// one row that sets one column (the others NULL), so a failure names its case; one row is
// NULL in every column. Without match columns every column that is no large object is
// part of the probe, so decimals, floats and date-times must also compare exactly.

#include "CopierTestSupport.h"

#include "common/PostgresTestServer.h"
#include "common/RecordingConnection.h"
#include "copier/CopierRun.h"
#include "db/FieldTypeMapping.h"
#include "db/ValueBinding.h"
#include "db/mssql/MssqlValueReading.h"

#include <cfloat>
#include <climits>

namespace {

struct TValueCase {
    QString Name;
    QString Column;   // empty: the row that is NULL in every column
    QString Literal;  // the value as the backend's SQL writes it
};

// The statements that fill the source: row k holds case k.
QStringList CaseRows(const QString& table, const QVector<TValueCase>& cases) {
    QStringList statements;
    for (int k = 0; k < cases.size(); ++k) {
        const TValueCase& c = cases[k];
        statements << (c.Column.isEmpty()
                           ? QStringLiteral("insert into %1 (k, name) values (%2, '%3')").arg(table).arg(k + 1).arg(c.Name)
                           : QStringLiteral("insert into %1 (k, name, %2) values (%3, '%4', %5)")
                                 .arg(table, c.Column)
                                 .arg(k + 1)
                                 .arg(c.Name, c.Literal));
    }
    return statements;
}

// The same columns i (int), s (smallint) and b (bigint) on SQLite and PostgreSQL.
const QVector<TValueCase> IntegerLimits = {
        {"int max", "i", "2147483647"},
        {"int min", "i", "-2147483648"},
        {"smallint min", "s", "-32768"},
        {"bigint max", "b", "9223372036854775807"},
        {"bigint min", "b", "-9223372036854775808"},
};

class ValueRoundTripTest : public CopierTest {
protected:
    // Imports every row of the table without match columns and saves; tablesCopied is 0
    // when the last row fails.
    void ImportAll(const QString& table, int tablesCopied = 1) {
        Asker.Answers = {mrYes};
        const TStringList tables = MakeList({table});
        EXPECT_EQ(ImportTables(tables, MakeList({QStringLiteral("select k from ") + table}), TStringList(),
                               TStringList(), Source, Dest, &tables),
                  tablesCopied);
    }

    // Each column's content per case, source against destination; exact is a statement
    // text in which %1 stands for the column and gives the column's exact bytes.
    void ExpectSameContent(const QString& table, const QStringList& columns, const QString& exact) {
        for (const QString& column : columns) {
            const QString statement = QStringLiteral("select name, ") + exact.arg(column) + QStringLiteral(" from ") +
                                      table + QStringLiteral(" order by name");
            const QStringList source = Rows(Source, statement);
            const QStringList dest = CommittedDestRows(statement);
            ASSERT_EQ(source.size(), dest.size()) << column.toStdString();
            for (int i = 0; i < source.size(); ++i)
                EXPECT_TRUE(source[i] == dest[i]) << column.toStdString() << ": source "
                                                  << source[i].left(200).toStdString() << ", destination "
                                                  << dest[i].left(200).toStdString();
        }
    }
};

const QString SqliteSchema =
    "create table V (k integer primary key, name nvarchar(100), i int, s smallint, b bigint, bt bit, "
    "f float, r real, d18 numeric(18,4), d28 decimal(28,10), m money, t nvarchar(400), memo text, "
    "bin varbinary(100), img image, dt datetime, dt2 datetime2, da date, g uniqueidentifier)";

TEST_F(ValueRoundTripTest, SqliteKeepsEveryValueAndItsStorageClass) {
    const QVector<TValueCase> cases = IntegerLimits + QVector<TValueCase>{
        {"bit 0", "bt", "0"},
        {"bit 1", "bt", "1"},
        {"bit 2", "bt", "2"},
        {"float 0.1+0.2", "f", "0.1 + 0.2"},
        {"float max", "f", "1.7976931348623157e308"},
        {"float min subnormal", "f", "4.9406564584124654e-324"},
        {"real third", "r", "1.0 / 3"},
        {"decimal 18", "d18", "12345678901234.5678"},
        {"decimal 18 negative", "d18", "-12345678901234.5678"},
        {"decimal 18 small", "d18", "-0.0001"},
        {"decimal 28", "d28", "123456789012345678.1234567891"},
        {"decimal whole", "d28", "100"},
        {"money", "m", "922337203685477.5807"},
        {"text quotes", "t", "'it''s \"quoted\"'"},
        {"text backslashes", "t", "'C:\\temp\\n\\\\x'"},
        {"text line breaks", "t", "'one' || char(13, 10) || 'two' || char(10)"},
        {"text nul", "t", "'a' || char(0) || 'b'"},
        {"text 4-byte", "t", "'дорога 𝄞 😀'"},
        {"text empty", "t", "''"},
        {"memo large", "memo", "replace(hex(zeroblob(100000)), '0', 'ё')"},
        {"binary empty", "bin", "X''"},
        {"binary bytes", "bin", "X'00FF7F80'"},
        {"image empty", "img", "X''"},
        {"image large", "img", "randomblob(3000000)"},
        {"datetime", "dt", "'2024-02-29 23:59:59'"},
        {"datetime ms", "dt", "'2024-02-29 23:59:59.997'"},
        {"datetime2 100ns", "dt2", "'2024-02-29 23:59:59.1234567'"},
        {"date", "da", "'0001-01-01'"},
        {"guid", "g", "'6F9619FF-8B86-D011-B42D-00C04FC964FF'"},
        {"all null", "", ""},
    };
    BuildDatabases(QStringList{SqliteSchema} + CaseRows("V", cases), {SqliteSchema});

    ImportAll("V");

    EXPECT_EQ(LinesBeforeCounts(), QStringList{QStringLiteral("Импорт таблицы V - %1 записей").arg(cases.size())})
        << Lines.join('\n').toStdString();
    ExpectSameContent("V", {"i", "s", "b", "bt", "f", "r", "d18", "d28", "m", "t", "memo", "bin", "img", "dt", "dt2",
                            "da", "g"},
                      "typeof(%1) || ':' || coalesce(hex(%1), '')");
    EXPECT_EQ(CommittedDestRows("select typeof(bin), length(bin), typeof(img), length(img) from V "
                                "where name like '%empty' and name <> 'text empty' order by name"),
              (QStringList{"blob|0|null|NULL", "null|NULL|blob|0"}));
}

const QString PostgresSchema =
    "create table v (k serial primary key, name varchar(100), i int, s smallint, b bigint, bo boolean, "
    "f double precision, r real, d18 numeric(18,4), d28 numeric(28,10), m money, t text, vc varchar(400), "
    "bin bytea, ts timestamp, tstz timestamptz, da date, ti time, g uuid)";

TEST_F(ValueRoundTripTest, PostgresKeepsEveryValue) {
    REQUIRE_POSTGRES_SERVER();
    // PostgreSQL refuses a NUL in any text, so no source can hold one.
    const QVector<TValueCase> cases = IntegerLimits + QVector<TValueCase>{
        {"boolean false", "bo", "false"},
        {"boolean true", "bo", "true"},
        {"float 0.1+0.2", "f", "0.1::float8 + 0.2::float8"},
        {"float max", "f", "1.7976931348623157e308"},
        {"float min subnormal", "f", "4.9406564584124654e-324"},
        {"real max", "r", "3.4028235e38"},
        {"decimal 18", "d18", "12345678901234.5678"},
        {"decimal 18 negative", "d18", "-12345678901234.5678"},
        {"decimal 18 trailing zeros", "d18", "12.5000"},
        {"decimal 28", "d28", "123456789012345678.1234567891"},
        {"decimal 28 negative", "d28", "-999999999999999999.9999999999"},
        {"money", "m", "92233720368547758.07"},
        {"text quotes", "t", "'it''s \"quoted\"'"},
        {"text backslashes", "t", "'C:\\temp\\n\\\\x'"},
        {"text line breaks", "t", "E'one\\r\\ntwo\\n'"},
        {"text 4-byte", "t", "'дорога 𝄞 😀'"},
        {"text empty", "t", "''"},
        {"text large", "t", "repeat('ё', 100000)"},
        {"varchar empty", "vc", "''"},
        {"binary empty", "bin", "''::bytea"},
        {"binary nul", "bin", "'\\x00ff7f80'::bytea"},
        {"binary large", "bin", "decode(repeat('00ff10', 1000000), 'hex')"},
        {"timestamp", "ts", "'2024-02-29 23:59:59'"},
        {"timestamp micro", "ts", "'2024-02-29 23:59:59.123456'"},
        {"timestamp infinity", "ts", "'infinity'"},
        {"timestamptz micro", "tstz", "'2024-02-29 23:59:59.000001+03'"},
        {"date bc", "da", "'0044-03-15 BC'"},
        {"time micro", "ti", "'23:59:59.999999'"},
        {"uuid", "g", "'6f9619ff-8b86-d011-b42d-00c04fc964ff'"},
        {"all null", "", ""},
    };
    Source.ConnectionString = CreatePostgresDatabase(QStringLiteral("road_values_source"));
    Dest.ConnectionString = CreatePostgresDatabase(QStringLiteral("road_values_dest"));
    Source.Open();
    Dest.Open();
    for (const QString& statement : QStringList{PostgresSchema} + CaseRows("v", cases)) Execute(Source, statement);
    Execute(Dest, PostgresSchema);

    ImportAll("v");

    EXPECT_EQ(LinesBeforeCounts(), QStringList{QStringLiteral("Импорт таблицы v - %1 записей").arg(cases.size())})
        << Lines.join('\n').toStdString();
    ExpectSameContent("v", {"i", "s", "b", "bo", "f", "r", "d18", "d28", "m", "t", "vc", "ts", "tstz", "da", "ti", "g"},
                      "%1::text");
    ExpectSameContent("v", {"bin"}, "encode(%1, 'hex')");
    EXPECT_EQ(CommittedDestRows("select bin is null, length(bin) from v where name = 'binary empty'"),
              QStringList{"False|0"});
    Source.Close();
    Dest.Close();
    DropPostgresDatabase(QStringLiteral("road_values_source"));
    DropPostgresDatabase(QStringLiteral("road_values_dest"));
}

// A decimal that SQLite would round fails its row with the reason; one it holds whole
// arrives, and so does a time stamp's last microsecond (SQLite keeps date-times as text).
TEST_F(ValueRoundTripTest, AValueTheDestinationCannotHoldExactlyFailsItsRow) {
    REQUIRE_POSTGRES_SERVER();
    Source.ConnectionString = CreatePostgresDatabase(QStringLiteral("road_values_narrow"));
    Source.Open();
    for (const QString statement :
         {"create table n (k serial primary key, name varchar(100), d numeric(18,4), ts timestamp)",
          "insert into n values (1, 'fits', 12.5, '2024-02-29 23:59:59.999999'), "
          "(2, 'too long', 12345678901234.5678, NULL)"})
        Execute(Source, statement);
    CreateSqliteDatabase(Dir.Path("dest.db"),
                         {"create table n (k integer primary key, name nvarchar(100), d numeric(18,4), ts datetime)"});
    Dest.ConnectionString = SqliteConnectionString(Dir.Path("dest.db"));
    Dest.Open();

    ImportAll("n", 0);

    EXPECT_EQ(LinesBeforeCounts(), (QStringList{"Импорт таблицы n - 2 записей",
                                  "Не удалось добавить запись в таблицу n с кодом 2. Ошибка: Значение "
                                  "12345678901234.5678 нельзя записать в базу SQLite без потери точности"}));
    EXPECT_EQ(CommittedDestRows("select name, typeof(d), d, ts from n"),
              QStringList{"fits|real|12.5|2024-02-29 23:59:59.999999"});
    Source.Close();
    DropPostgresDatabase(QStringLiteral("road_values_narrow"));
}

// Text whose bytes are no valid UTF-8 (here C3 28 FF FE 41 in a TEXT column, also as a match
// column): into SQLite it arrives byte for byte, still as TEXT; PostgreSQL cannot hold it, so
// that row fails naming the column and the rest arrives. Never a replacement character.
TEST_F(ValueRoundTripTest, TextThatIsNoUtf8ArrivesAsItsBytesOrFailsItsRow) {
    CreateSqliteDatabase(Dir.Path("source.db"),
                         {"create table t (k integer primary key, name varchar(50), note text)",
                          "insert into t values (1, 'plain', 'ok'), (2, 'broken', cast(x'C328FFFE41' as text)), "
                          "(3, cast(x'FF41' as text), 'name broken')"});
    Source.ConnectionString = SqliteConnectionString(Dir.Path("source.db"));
    Source.Open();
    const QString schema = "create table t (k integer primary key, name varchar(50), note text)";
    const struct {
        const char* Case;
        bool Postgres;
        QStringList Rows;  // name and note, in hex where SQLite can tell the bytes
        QStringList Failures;
    } cases[] = {
        {"SQLite", false, {"FF41|text|6E616D652062726F6B656E", "broken|text|C328FFFE41", "plain|text|6F6B"}, {}},
        {"PostgreSQL", true, {"plain|ok"},
         {"Не удалось добавить запись в таблицу t с кодом 2. Ошибка: значение столбца note не является текстом в "
          "кодировке UTF-8 (байты C3 28 FF FE 41), база-приемник не может сохранить его без изменений",
          "Не удалось добавить запись в таблицу t с кодом 3. Ошибка: значение столбца name не является текстом в "
          "кодировке UTF-8 (байты FF 41), база-приемник не может сохранить его без изменений"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        if (c.Postgres) REQUIRE_POSTGRES_SERVER();
        Dest.Close();
        if (c.Postgres) {
            Dest.ConnectionString = CreatePostgresDatabase(QStringLiteral("road_values_utf8"));
            Dest.Open();
            Execute(Dest, "create table t (k serial primary key, name varchar(50), note text)");
        } else {
            CreateSqliteDatabase(Dir.Path("dest.db"), {schema});
            Dest.ConnectionString = SqliteConnectionString(Dir.Path("dest.db"));
            Dest.Open();
        }
        Lines.clear();
        Asker.Answers = {mrYes};
        const TStringList tables = MakeList({"t"});
        // name matches, so that a probe carries the bytes too
        const int result = ImportTables(tables, MakeList({"select k from t"}), MakeList({"t"}), MakeList({"name"}), Source, Dest, &tables);
        EXPECT_EQ(result, c.Failures.isEmpty() ? 1 : 0) << Lines.join(QLatin1Char(10)).toStdString();  // 0: the last row failed
        EXPECT_EQ(LinesBeforeCounts().mid(1), c.Failures) << LinesBeforeCounts().join(QLatin1Char(10)).toStdString();
        const QStringList rows = CommittedDestRows(c.Postgres ? "select name, note from t order by name"
                                               : "select case when typeof(name) = 'text' and name glob '[a-z]*' then name "
                                                 "else hex(name) end, typeof(note), hex(note) from t order by 1");
        EXPECT_EQ(rows, c.Rows) << rows.join(QLatin1Char(10)).toStdString();
        if (c.Postgres) {
            Dest.Close();
            DropPostgresDatabase(QStringLiteral("road_values_utf8"));
        }
    }
}

struct TSentCase {
    QString Column;
    TFieldType Type;
    QVariant Value;  // as the ODBC reading gives it
    QVariant Bound = {};  // as it must be bound, when not Value itself
    QVariant Sent() const { return Bound.isValid() ? Bound : Value; }
};

QVariant ParamOf(const QVector<TBoundParam>& params, const QString& name) {
    for (const TBoundParam& param : params)
        if (param.Name == name) return BindValueOf(param);
    ADD_FAILURE() << "no parameter " << name.toStdString();
    return {};
}

bool SameBoundValue(const QVariant& a, const QVariant& b) {
    return a.typeId() == b.typeId() && a.isNull() == b.isNull() && a == b &&
           (a.typeId() != QMetaType::QByteArray || a.toByteArray().isNull() == b.toByteArray().isNull());
}

// No SQL Server runs here: the recording connections answer as its catalogue would, the
// source row holds the values as the ODBC reading gives them (decimals as text, date-times
// as text with their column's digits of the second), and the values bound for the insert
// and the probe are checked. A second source row is NULL in every column.
TEST_F(ValueRoundTripTest, SqlServerIsSentTheExactValues) {
    using F = TFieldType;
    const TOdbcTimestamp leapSecondToMidnight{2024, 2, 29, 23, 59, 59, 123456700};
    const QVector<TSentCase> cases = {
        {"i", F::ftInteger, INT_MIN},
        {"s", F::ftSmallint, -32768},
        {"b", F::ftLargeint, QVariant(qlonglong(LLONG_MAX))},
        {"bt", F::ftBoolean, true},
        {"f", F::ftFloat, 0.1 + 0.2},
        {"fmax", F::ftFloat, DBL_MAX},
        {"d18", F::ftBCD, "-12345678901234.5678"},
        {"d28", F::ftBCD, "123456789012345678.1234567891"},
        {"m", F::ftBCD, "-922337203685477.5808"},
        {"t", F::ftWideString, QString::fromUtf8("it's \"q\" C:\\n\r\n\0 𝄞😀", 25)},
        {"te", F::ftWideString, QStringLiteral("")},
        {"memo", F::ftMemo, QString(100000, QChar(0x0451))},
        {"bin", F::ftVarBytes, QByteArray(), QByteArray("", 0)},  // an empty value is no NULL
        {"img", F::ftGraphic, QByteArray(3000000, '\xA5')},
        {"dt", F::ftDateTime, OdbcTimestampText({2024, 2, 29, 23, 59, 59, 997000000}, 3)},
        {"dt2", F::ftDateTime, OdbcTimestampText(leapSecondToMidnight, 7)},
        {"sdt", F::ftDateTime, OdbcTimestampText({2024, 2, 29, 23, 59, 0, 0}, 0)},
        {"g", F::ftGuid, "6F9619FF-8B86-D011-B42D-00C04FC964FF"},
    };
    EXPECT_EQ(cases[14].Value.toString(), "2024-02-29T23:59:59.997");
    EXPECT_EQ(cases[15].Value.toString(), "2024-02-29T23:59:59.1234567");
    EXPECT_EQ(cases[16].Value.toString(), "2024-02-29T23:59:00");

    QStringList names{"K"};
    QVector<TFieldType> types{F::ftInteger};
    QVector<QVariant> values{5};
    QVector<QVariant> nulls{6};
    for (const TSentCase& c : cases) {
        names << c.Column;
        types << c.Type;
        values << c.Value;
        nulls << QVariant();
    }
    TRecordingConnection source;
    TRecordingConnection dest;
    source.Open();
    dest.Open();
    source.Responder = [&](const QString& sql, const QVector<TBoundParam>&, bool) {
        if (sql.startsWith("sp_pkeys")) return MakeRowSet({"COLUMN_NAME"}, {{"K"}});
        if (sql.contains("syscolumns")) {
            QVector<QVector<QVariant>> rows;
            for (const QString& name : names) rows.append({name});
            return MakeRowSet({"Name"}, rows);
        }
        if (sql.startsWith("select K, ")) return MakeRowSet(names, {values, nulls}, types);
        return TRowSet();  // no foreign keys
    };
    bool inserted = false;
    dest.Responder = [&](const QString& sql, const QVector<TBoundParam>&, bool) {
        if (sql.endsWith("Where 1=2")) return MakeRowSet(names, {}, types);
        if (sql.startsWith("INSERT")) inserted = true;
        if (sql.startsWith("SELECT K FROM V") && inserted) {
            inserted = false;
            return MakeRowSet({"K"}, {{77}});
        }
        return TRowSet();
    };
    Asker.Answers = {mrYes};
    const TStringList tables = MakeList({"V"});
    ASSERT_EQ(ImportTables(tables, MakeList({"5, 6"}), TStringList(), TStringList(), source, dest, &tables), 1)
        << Lines.join('\n').toStdString();

    QVector<QVector<TBoundParam>> inserts;
    QVector<TBoundParam> firstProbe;
    for (int i = 0; i < dest.Statements.size(); ++i) {
        if (dest.Statements[i].startsWith("INSERT")) inserts.append(dest.Params[i]);
        if (dest.Statements[i].startsWith("SELECT K FROM V") && firstProbe.isEmpty()) firstProbe = dest.Params[i];
    }
    ASSERT_EQ(inserts.size(), 2);
    for (int p = 1; p <= cases.size(); ++p) {
        const TSentCase& c = cases[p - 1];
        const QString number = QString::number(p);
        EXPECT_TRUE(SameBoundValue(ParamOf(inserts[0], "Val" + number), c.Sent())) << c.Column.toStdString();
        if (!IsLargeObject(c.Type)) {
            EXPECT_TRUE(SameBoundValue(ParamOf(firstProbe, "Where" + number), c.Sent())) << c.Column.toStdString();
        }
        const QVariant null = ParamOf(inserts[1], "Val" + number);
        EXPECT_TRUE(null.isNull() && null.metaType() == MetaTypeOfFieldType(c.Type)) << c.Column.toStdString();
    }
}

}  // namespace
