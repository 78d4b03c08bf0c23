// The sample database: deterministic from its seed, and holding what the import must meet.

#include "TitleTestSupport.h"

#include "sample/SampleDatabase.h"
#include "support/Exception.h"

namespace {

// Every row of every table, in key order.
QStringList Dump(const QString& path) {
    TADOConnection connection;
    connection.ConnectionString = SampleConnectionString(path);
    connection.Open();
    QStringList dump;
    for (const QString& table :
         Rows(connection, QStringLiteral("select name from sqlite_master where type = 'table' order by name"))) {
        dump << table;
        dump += Rows(connection, QStringLiteral("select * from ") + table + QStringLiteral(" order by 1, 2"));
    }
    return dump;
}

}  // namespace

TEST(SampleDatabase, SameSeedSameContentOtherSeedOtherContent) {
    TTestDir dir;
    GenerateSampleDatabase(dir.Path(QStringLiteral("a.db")), 2, 3, 5);
    GenerateSampleDatabase(dir.Path(QStringLiteral("b.db")), 2, 3, 5);
    GenerateSampleDatabase(dir.Path(QStringLiteral("c.db")), 2, 3, 6);
    const QStringList a = Dump(dir.Path(QStringLiteral("a.db")));
    EXPECT_EQ(a, Dump(dir.Path(QStringLiteral("b.db"))));
    EXPECT_NE(a, Dump(dir.Path(QStringLiteral("c.db"))));
    EXPECT_THROW(GenerateSampleDatabase(dir.Path(QStringLiteral("d.db")), 1, 0, 1), Exception);
    EXPECT_THROW(GenerateSampleDatabase(dir.Path(QStringLiteral("no/such/dir.db")), 1, 1, 1), Exception);
}

TEST_F(TitlesTest, SampleHoldsWhatTheWalkMustMeet) {
    MakeDatabases(3, 3, true);
    EXPECT_EQ(SampleSchemaStatements().size(),
              Scalar(Source, QStringLiteral("select count(*) from sqlite_master where sql is not null")));
    EXPECT_TRUE(Rows(Source, QStringLiteral("pragma foreign_key_check")).isEmpty());
    EXPECT_EQ(Scalar(Source, QStringLiteral("select count(*) from Титул")), 3);
    EXPECT_EQ(Rows(Source, QStringLiteral("select Наименование from Титул where Код_титула = 2")).value(0),
              QStringLiteral("М-11 «Нева» Москва – Санкт-Петербург, участок № 2"));
    // No key between objects and sections, and some objects name a section that is not there.
    EXPECT_EQ(Scalar(Source, QStringLiteral("select count(*) from pragma_foreign_key_list('Дорожный_объект') "
                                            "where \"table\" = 'Межузловой_участок'")),
              0);
    EXPECT_EQ(Scalar(Source, QStringLiteral("select count(*) from Дорожный_объект where Код_участка not in "
                                            "(select Код_участка from Межузловой_участок)")),
              3);
    // A self reference, a warranty repair based on an act, a defect mended by a later event.
    EXPECT_GT(Scalar(Source, QStringLiteral("select count(*) from Дорожный_объект where Код_родительского_объекта is not null")), 0);
    EXPECT_GT(Scalar(Source, QStringLiteral("select count(*) from Ремонт where Код_акта_основания is not null")), 0);
    EXPECT_GT(Scalar(Source, QStringLiteral("select count(*) from Дефект where Код_события_устранения is not null")), 0);
    // Dictionary rows used by several titles.
    EXPECT_GT(Scalar(Source, QStringLiteral("select count(*) from (select Код_типа_знака from Знак s join Дорожный_объект o "
                                            "on o.Код_объекта = s.Код_объекта group by Код_типа_знака "
                                            "having count(distinct o.Код_титула) > 1)")),
              0);
    // Large objects are stored as blobs and text.
    EXPECT_GT(Scalar(Source, QStringLiteral("select count(*) from Фото_дефекта where typeof(Снимок) = 'blob'")), 0);

    // A destination with dictionaries: the same rows less the newest, under other keys.
    EXPECT_EQ(Scalar(Dest, QStringLiteral("select count(*) from Титул")), 0);
    EXPECT_EQ(Scalar(Dest, QStringLiteral("select count(*) from Регион")), Scalar(Source, QStringLiteral("select count(*) from Регион")));
    EXPECT_EQ(Scalar(Dest, QStringLiteral("select count(*) from Справочник_покрытий")) + 1,
              Scalar(Source, QStringLiteral("select count(*) from Справочник_покрытий")));
    EXPECT_NE(Rows(Dest, QStringLiteral("select Наименование from Район order by Код_района")),
              Rows(Source, QStringLiteral("select Наименование from Район order by Код_района")));
    EXPECT_TRUE(Rows(Dest, QStringLiteral("pragma foreign_key_check")).isEmpty());
}
