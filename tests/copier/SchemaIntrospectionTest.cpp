// The catalogue questions on a real SQLite schema, and the list operations built on them.

#include "CopierTestSupport.h"

#include "copier/SchemaIntrospection.h"

namespace {

QStringList Entries(const TStringList& list) { return list.Strings(); }

TEST(SplitListTest, SeparatesAtCommaAndBlankOnly) {
    TStringList list;
    list.Add(QStringLiteral("left over"));
    SplitList(QString(), list);
    EXPECT_EQ(Entries(list), QStringList{QString()});
    SplitList(QStringLiteral("a, b"), list);
    EXPECT_EQ(Entries(list), (QStringList{"a", "b"}));
    SplitList(QStringLiteral("a,b"), list);
    EXPECT_EQ(Entries(list), QStringList{"a,b"});
    SplitList(QStringLiteral("a, "), list);
    EXPECT_EQ(Entries(list), (QStringList{"a", ""}));
}

TEST(OrderByDependenciesTest, PlacesEveryTableAfterWhatItRefersTo) {
    // A refers to B, B to C; D and E are free; X and Y refer to each other, Z to X.
    auto order = [](const QStringList& tables, const QStringList& dependencies) {
        TStringList deps = MakeList(dependencies);
        TStringList result;
        OrderByDependencies(MakeList(tables), deps, result);
        EXPECT_EQ(deps.Count(), tables.size() - result.Count()) << "placed entries are consumed";
        return Entries(result);
    };
    EXPECT_EQ(order({"C", "B", "A"}, {"", "C", "B, C"}), (QStringList{"C", "B", "A"}));
    EXPECT_EQ(order({"A", "B", "C"}, {"B, C", "C", ""}), (QStringList{"C", "B", "A"}));
    EXPECT_EQ(order({"D", "E"}, {"", ""}), (QStringList{"D", "E"}));
    EXPECT_EQ(order({"Z", "X", "D", "Y", "E"}, {"X, Y", "Y, X", "", "X, Y", ""}), (QStringList{"D", "E"}));
    // Names in the dependency lists are compared ignoring letter case.
    EXPECT_EQ(order({"Дорога", "титул"}, {"Титул", ""}), (QStringList{"титул", "Дорога"}));
}

class SchemaIntrospectionTest : public CopierTest {
protected:
    void SetUp() override {
        CopierTest::SetUp();
        BuildDatabases({"create table C (K integer primary key, Name varchar(20))",
                        "create table B (K integer primary key, CRef int references C(K), Name varchar(20))",
                        "create table A (Id integer primary key, Name varchar(20), BRef int references B(K), "
                        "Parent int references A(Id))",
                        "create table Bare (P int, Q varchar(5))",
                        "create table X (K integer primary key, YRef int references Y(K))",
                        "create table Y (K integer primary key, XRef int references X(K))",
                        "create table Z (K integer primary key, XRef int references X(K))",
                        "create table Two (K integer primary key, C1 int references C(K), C2 int references C(K))"},
                       {});
    }
};

TEST_F(SchemaIntrospectionTest, AnswersKeyColumnsAndReferences) {
    EXPECT_EQ(GetPrimaryKeyColumn("A", Source), "Id");
    EXPECT_EQ(GetPrimaryKeyColumn("Bare", Source), "");
    EXPECT_EQ(GetReferencedTable("A", "BRef", Source), "B");
    EXPECT_EQ(GetReferencedTable("A", "Parent", Source), "A");
    EXPECT_EQ(GetReferencedTable("A", "Name", Source), "");
    EXPECT_EQ(GetReferencedTable("A", "bref", Source), "") << "the column is compared exactly";
    EXPECT_EQ(GetDefaultSelection("A", Source), "select Id from A");

    EXPECT_EQ(GetColumnList("A", Source, QString()), "Id, Name, BRef, Parent");
    EXPECT_EQ(GetColumnList("A", Source, "BRef"), "BRef, Id, Name, Parent");
    EXPECT_EQ(GetColumnList("A", Source, "Missing"), "Missing, Id, Name, BRef, Parent");
    EXPECT_EQ(GetColumnList("Bare", Source, QString()), "P, Q");
}

TEST_F(SchemaIntrospectionTest, CollectsAndOrdersDependencies) {
    TStringList closure;
    CollectReferencedTables("A", closure, Source);
    EXPECT_EQ(Entries(closure), (QStringList{"B", "C"})) << "the reference of A to itself is skipped";
    closure.Clear();
    CollectReferencedTables("X", closure, Source);
    EXPECT_EQ(Entries(closure), (QStringList{"Y", "X"})) << "a cycle brings the table into its own list";
    closure.Clear();
    CollectReferencedTables("Two", closure, Source);
    EXPECT_EQ(Entries(closure), QStringList{"C"});

    const TStringList tables = MakeList({"Z", "A", "X", "C", "Bare", "B", "Y"});
    TStringList dependencies;
    BuildDependencyLists(tables, dependencies, Source);
    EXPECT_EQ(Entries(dependencies), (QStringList{"X, Y", "B, C", "Y, X", "", "", "C", "X, Y"}));
    TStringList order;
    OrderByDependencies(tables, dependencies, order);
    EXPECT_EQ(Entries(order), (QStringList{"C", "Bare", "B", "A"}));
}

QString ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& error) {
        return error.message();
    }
    return QString();
}

// A name that reaches the copier other than through the title walk (a column of a table it
// copies, a table that one refers to) is refused before any statement could carry it.
TEST(CatalogueNamesTest, NamesThatCannotBeWrittenUnquotedRaiseInsteadOfEnteringAStatement) {
    TTestDir dir;
    CreateSqliteDatabase(dir.Path("names.db"),
                         {"create table \"T; drop table W\" (K integer primary key)",
                          "create table W (K integer primary key, TRef int references \"T; drop table W\"(K), "
                          "\"Bad name\" int)"});
    TADOConnection source;
    source.ConnectionString = SqliteConnectionString(dir.Path("names.db"));
    source.Open();
    EXPECT_TRUE(ErrorOf([&] { GetColumnList("W", source, QString()); }).startsWith("Имя \"Bad name\" из каталога"));
    EXPECT_TRUE(ErrorOf([&] { GetReferencedTable("W", "TRef", source); }).contains("\"T; drop table W\""));
    TStringList closure;
    EXPECT_FALSE(ErrorOf([&] { CollectReferencedTables("W", closure, source); }).isEmpty());
    EXPECT_EQ(Rows(source, "select count(*) from W"), QStringList{"0"}) << "W is still there";
}

}  // namespace
