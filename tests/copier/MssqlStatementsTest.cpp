// The exact texts that the copier sends to Microsoft SQL Server, checked blank for blank
// against recording connections that answer as the server's catalogue would.

#include "CopierTestSupport.h"

#include "common/RecordingConnection.h"
#include "copier/CopierRun.h"
#include "copier/RunCounts.h"
#include "copier/SchemaIntrospection.h"
#include "db/DbError.h"
#include "db/RunEnding.h"

namespace {

const QString PkeysT = "sp_pkeys @Table_Name='T'";
const QString FkeysT = "sp_fkeys  @fktable_name='T'";
const QString ColumnsT = "select Obj1.Name from syscolumns as Obj1 inner join sysobjects as Obj2 on "
                         "Obj2.id=Obj1.id where OBJECTPROPERTY(Obj2.id, N'IsUserTable') = 1 and Obj2.name='T'";
const QString TypesT = "SELECT K, A, B, GUID FROM T Where 1=2";
const QString InsertT = "INSERT INTO T(A, B, GUID ) VALUES(:Val1, :Val2, :Val3 )";
const QString UpdateT = "UPDATE T SET A=:SetVal1, B=:SetVal2  WHERE (GUID=:Where3 or (:WhereN3 is NULL and GUID is NULL)) ";
const QString ProbeT = "SELECT K FROM T WHERE (GUID=:Where3 or (:WhereN3 is NULL and GUID is NULL)) ";
const QString SourceT = "select K, A, B, GUID  from T where K in (5, 6)";

QVariant ParamValue(const QVector<TBoundParam>& params, const QString& name) {
    for (const TBoundParam& param : params)
        if (param.Name == name) return param.Value;
    ADD_FAILURE() << "no parameter " << name.toStdString();
    return {};
}

// A source whose table T has the key K, the columns A, B and GUID, and no foreign keys;
// a destination that already holds the row with GUID g6 (key 88) and gives the next insert 77.
class MssqlStatementsTest : public CopierTest {
protected:
    void SetUp() override {
        CopierTest::SetUp();
        Src.Open();
        Dst.Open();
        Src.Responder = [](const QString& sql, const QVector<TBoundParam>&, bool) {
            if (sql == PkeysT) return MakeRowSet({"COLUMN_NAME"}, {{"K"}});
            if (sql == ColumnsT) return MakeRowSet({"Name"}, {{"K"}, {"A"}, {"B"}, {"GUID"}});
            if (sql == SourceT)
                return MakeRowSet({"K", "A", "B", "GUID"}, {{5, "a5", "b5", "g5"}, {6, "a6", "b6", "g6"}},
                                  {TFieldType::ftInteger, TFieldType::ftWideString, TFieldType::ftMemo,
                                   TFieldType::ftGuid});
            return TRowSet();  // no foreign keys
        };
        Dst.Responder = [this](const QString& sql, const QVector<TBoundParam>& params, bool) {
            if (sql == FailOn) throw EDatabaseError("refused: " + sql);
            if (sql == XactState) {
                if (StateFails) throw EDatabaseError("no answer");
                return MakeRowSet({""}, {{State}});
            }
            if (sql == TypesT)
                return MakeRowSet({"K", "A", "B", "GUID"}, {},
                                  {TFieldType::ftInteger, TFieldType::ftWideString, TFieldType::ftMemo,
                                   TFieldType::ftGuid});
            if (sql == InsertT) Inserted = true;
            if (sql == ProbeT) {
                const QString guid = ParamValue(params, "Where3").toString();
                if (guid == "g6") return MakeRowSet({"K"}, {{88}});
                if (guid == "g5" && Inserted) return MakeRowSet({"K"}, {{77}});
            }
            return TRowSet();
        };
        MatchTables = MakeList({"T"});
        MatchColumns = MakeList({"GUID"});
    }

    int RunT() {
        const TStringList tables = MakeList({"T"});
        Counts = TRunCounts();
        return ImportTables(tables, MakeList({"5, 6"}), MatchTables, MatchColumns, Src, Dst, &tables, &Counts);
    }

    TRecordingConnection Src;
    TRecordingConnection Dst;
    TStringList MatchTables;
    TStringList MatchColumns;
    QString FailOn;
    bool Inserted = false;
    TRunCounts Counts;  // of the last RunT
    const QString XactState = "SELECT XACT_STATE()";
    int State = 1;  // the answer to XactState
    bool StateFails = false;
};

TEST_F(MssqlStatementsTest, CatalogueQuestions) {
    auto referencesOf = [](const QString& table) {
        return "select distinct Obj.name, Obj2.name as Name1 from sysobjects as Obj inner join sysreferences as "
               "ref on ref.fkeyid=Obj.id inner join sysobjects as Obj2 on Obj2.id=ref.rkeyid where "
               "OBJECTPROPERTY(Obj.id, N'IsUserTable') = 1 and Obj.name='" + table + "' order by Obj.name";
    };
    const QString references = referencesOf("T");
    Src.Responder = [&](const QString& sql, const QVector<TBoundParam>&, bool) {
        if (sql == PkeysT) return MakeRowSet({"COLUMN_NAME"}, {{"K"}, {"K2"}});
        if (sql == FkeysT)
            return MakeRowSet({"PKTABLE_NAME", "FKCOLUMN_NAME"}, {{"P1", "Ref"}, {"P2", "Other"}, {"P3", "Ref"}});
        if (sql == references) return MakeRowSet({"name", "Name1"}, {{"T", "T"}, {"T", "U"}});
        return TRowSet();
    };

    EXPECT_EQ(GetPrimaryKeyColumn("T", Src), "K") << "of a key of several columns the first";
    EXPECT_EQ(GetReferencedTable("T", "Ref", Src), "P3") << "the last matching row wins";
    EXPECT_EQ(GetDefaultSelection("T", Src), "select K from T");
    TStringList closure;
    CollectReferencedTables("T", closure, Src);
    EXPECT_EQ(closure.Strings(), QStringList{"U"});
    EXPECT_EQ(Src.Statements,
              (QStringList{PkeysT, FkeysT, PkeysT, references, referencesOf("U")}));
}

TEST_F(MssqlStatementsTest, RunSendsTheWorkedExampleTexts) {
    Asker.Answers = {mrYes};
    EXPECT_EQ(RunT(), 1);

    EXPECT_EQ(Src.Statements, (QStringList{PkeysT, ColumnsT, FkeysT, FkeysT, FkeysT, FkeysT, SourceT}));
    EXPECT_EQ(Dst.Statements, (QStringList{"BEGIN TRANSACTION;", TypesT, ProbeT, InsertT, ProbeT, ProbeT, UpdateT,
                                           "COMMIT TRANSACTION;"}));
    // Row values travel as parameters only, the key map's translation included.
    const QVector<TBoundParam>& insert = Dst.Params[3];
    EXPECT_EQ(ParamValue(insert, "Val1").toString(), "a5");
    EXPECT_EQ(ParamValue(insert, "Val2").toString(), "b5");
    EXPECT_EQ(ParamValue(insert, "Val3").toString(), "g5");
    const QVector<TBoundParam>& update = Dst.Params[6];
    EXPECT_EQ(ParamValue(update, "SetVal1").toString(), "a6");
    EXPECT_EQ(ParamValue(update, "Where3").toString(), "g6");
    EXPECT_EQ(ParamValue(update, "WhereN3").toString(), "g6");
}

TEST_F(MssqlStatementsTest, FailuresEndTheTransaction) {
    // A failed commit is followed by a rollback and the run is not reported as saved.
    FailOn = "COMMIT TRANSACTION;";
    Asker.Answers = {mrYes};
    EXPECT_EQ(RunT(), -1);
    EXPECT_EQ(Dst.Statements.mid(Dst.Statements.size() - 2),
              (QStringList{"COMMIT TRANSACTION;", "ROLLBACK TRANSACTION;"}));

    // An error outside a row (here the statement that reads the destination's types) ends
    // the run; its transaction is rolled back, nothing is asked.
    FailOn = TypesT;
    Dst.Statements.clear();
    EXPECT_EQ(RunT(), -1);
    EXPECT_EQ(Dst.Statements, (QStringList{"BEGIN TRANSACTION;", TypesT, "ROLLBACK TRANSACTION;"}));
}

// A row the server refuses is followed by the question whether the transaction still stands
// (sent through the connection, so that it is recorded): 1 goes on with the next row; -1
// (cannot commit), 0 (none open) or a question that itself fails stop the run, which rolls
// back and reports the server's reason instead of asking whether to save.
TEST_F(MssqlStatementsTest, AFailedRowIsFollowedByTheStateQueryAndAnEndedTransactionStopsTheRun) {
    const struct {
        int State;
        bool StateFails;
        bool GoesOn;
    } cases[] = {{1, false, true}, {-1, false, false}, {0, false, false}, {1, true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "state " << c.State << (c.StateFails ? ", failing" : ""));
        Dst.Statements.clear();
        Inserted = false;
        FailOn = InsertT;
        State = c.State;
        StateFails = c.StateFails;
        Asker.Answers.clear();
        if (c.GoesOn) Asker.Answers = {mrYes};
        if (c.GoesOn) {
            EXPECT_EQ(RunT(), 1);
            EXPECT_EQ(Dst.Statements, (QStringList{"BEGIN TRANSACTION;", TypesT, ProbeT, InsertT, XactState, ProbeT,
                                                   UpdateT, "COMMIT TRANSACTION;"}));
            continue;
        }
        EXPECT_EQ(RunT(), -1);
        try {
            if (Counts.Failure) std::rethrow_exception(Counts.Failure);
            ADD_FAILURE() << "the run went on";
        } catch (const ETransactionEnded& ended) {
            EXPECT_EQ(ended.message(), "refused: " + InsertT);
        }
        EXPECT_EQ(Dst.Statements, (QStringList{"BEGIN TRANSACTION;", TypesT, ProbeT, InsertT, XactState,
                                               "ROLLBACK TRANSACTION;"}));
    }
}

}  // namespace
