// Faults a run meets on its databases: a transaction the server ends, a section link that
// cannot be made. Either way the run stops at once, names the database and its reason, and
// leaves the destination as it was.

#include "RunFrontEnd.h"
#include "TitleTestSupport.h"

#include "db/ADOQuery.h"
#include "common/PostgresTestServer.h"
#include "common/SmallFileSystem.h"
#include "db/DatabaseName.h"
#include "db/DbError.h"
#include "sample/SampleDatabase.h"
#include "support/EAbort.h"
#include "titles/TitlePreparation.h"

#include <QFileInfo>

namespace {

// Every table's definition and rows of an SQLite database, as text.
QStringList Snapshot(TADOConnection& connection) {
    QStringList content = Rows(connection, QStringLiteral("select type || ' ' || name || ' ' || coalesce(sql, '') "
                                                          "from sqlite_master order by type, name"));
    for (const QString& table :
         Rows(connection, QStringLiteral("select name from sqlite_master where type = 'table' order by name"))) {
        QStringList rows = Rows(connection, QStringLiteral("select * from \"") + table + QLatin1Char('"'));
        rows.sort();
        content << table + QLatin1Char(':') + rows.join(QLatin1Char(';'));
    }
    return content;
}

// A run whose clean-up is told when it begins, and whose questions a test may answer.
class TCleanUpFrontEnd : public TRecordingFrontEnd {
public:
    std::function<void()> CleanUpHook;
    std::function<int(const QString& question)> AskHook;  // the answer to each question, when set
    void ResetDisplay() override {
        if (CleanUpHook) CleanUpHook();
        TRecordingFrontEnd::ResetDisplay();
    }
    int Ask(const QString& message, TMsgDlgType type, TMsgDlgButtons buttons) override {
        const int answer = TRecordingFrontEnd::Ask(message, type, buttons);
        return AskHook ? AskHook(message) : answer;
    }
};

class RunFaults : public TitlesTest {
protected:
    // Fresh databases, every title of the source ticked in the run's list.
    void PrepareRun(TCleanUpFrontEnd& run, int titles, int rows) {
        Source.Close();
        Dest.Close();
        MakeDatabases(titles, rows);
        SetQuestionAsker(&run);
        TADOQuery list(&Source);
        FillListFromTable(QStringLiteral("Титул"), run, QStringLiteral("Код_титула, Наименование"), false, QString(),
                          QString(), list);
        for (int i = 0; i < run.ItemCount(); ++i) run.SetItemChecked(i, true);
    }

    // The message of the error the run ended with.
    QString RunEndingMessage(TCleanUpFrontEnd& run) {
        try {
            RunTitleImport(run, Plan, Source, Dest);
        } catch (const Exception& error) {
            return error.message();
        }
        ADD_FAILURE() << "the run did not end with an error";
        return QString();
    }

    QString DatabaseText(const QString& role, const QString& path) const {
        return role + QStringLiteral(" база данных \"") + QFileInfo(path).canonicalFilePath() + QLatin1Char('"');
    }
};

}  // namespace

// The destination's disk fills up in the middle of the copy: the error would recur on every
// row (and on a real disk SQLite may have rolled the whole transaction back by itself), so the
// run stops at the first failure instead of going on, never asks whether to save, names the
// destination and the cause, and the destination is as it was, whatever the answer to the
// save question would have been.
TEST_F(RunFaults, ATransactionTheServerEndedStopsTheRunAndSavesNothing) {
    for (const int answer : {mrYes, mrNo}) {
        SCOPED_TRACE(answer == mrYes ? "save yes" : "save no");
        TCleanUpFrontEnd run;
        PrepareRun(run, 4, 40);
        const QStringList before = Snapshot(Dest);
        run.SaveAnswer = answer;
        // The disk is full from the copy's first table on, and has room again for the clean-up.
        bool full = false;
        run.TableHook = [&](const QString&) {
            if (full) return;
            full = true;
            Execute(Dest, QStringLiteral("PRAGMA max_page_count = ") +
                              QString::number(Scalar(Dest, QStringLiteral("PRAGMA page_count"))));
        };
        run.CleanUpHook = [this] { Execute(Dest, QStringLiteral("PRAGMA max_page_count = 1073741823")); };

        EXPECT_EQ(RunEndingMessage(run).toStdString(),
                  (DatabaseText(QStringLiteral("Целевая"), DestPath) +
                   QStringLiteral(": database or disk is full; импорт остановлен, изменения НЕ ВНЕСЕНЫ в базу"))
                      .toStdString());
        EXPECT_LE(run.Memo.filter(QStringLiteral("database or disk is full")).size(), 1);
        EXPECT_TRUE(run.Events.filter(QStringLiteral("ask ")).isEmpty()) << run.Events.join('\n').toStdString();
        EXPECT_EQ(run.Memo.last(), QStringLiteral("Ошибка импорта"));
        EXPECT_EQ(Snapshot(Dest), before);
    }
}

// The destination's disk fills up just at the commit: the copy fitted, the journal and the
// pages of the commit do not (here a tmpfs filled up while the save is asked). Nothing is
// saved, and the run says so as it does for a failure in the copy: its error and its memo
// name the destination and the reason. Both ways to a commit: "save" at the end, and "save"
// after the user stopped the run.
TEST_F(RunFaults, ACommitTheDiskRefusesIsNamedAndSavesNothing) {
    const struct {
        const char* Case;
        bool Stop;  // stopped after the first title, then "Продолжить?" No and "Сохранить...?" Yes
    } cases[] = {
        {"save at the end", false},
        {"save at a stop", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        TSmallFileSystem fileSystem(8 * 1024 * 1024);
        REQUIRE_SMALL_FILE_SYSTEM(fileSystem);
        TCleanUpFrontEnd run;
        PrepareRun(run, 4, 40);
        Dest.Close();
        DestPath = fileSystem.Path(QStringLiteral("dest.db"));
        ASSERT_TRUE(QFile::copy(Dir.Path(QStringLiteral("dest.db")), DestPath));
        Dest.ConnectionString = SampleConnectionString(DestPath);
        Dest.Open();
        const QStringList before = Snapshot(Dest);
        bool stopped = false;
        run.RowHook = [&](const QString& table, int) {
            if (!c.Stop || stopped || table != QStringLiteral("Титул")) return;
            stopped = true;
            throw EAbort();
        };
        run.AskHook = [&](const QString& question) {
            if (question == QStringLiteral("Операция прервана пользователем. Продолжить?")) return int(mrNo);
            fileSystem.Fill();
            return int(mrYes);
        };

        const QString refusal = DatabaseText(QStringLiteral("Целевая"), DestPath) +
                                QStringLiteral(": COMMIT TRANSACTION; не выполнен: database or disk is full; "
                                               "изменения НЕ ВНЕСЕНЫ в базу");
        EXPECT_EQ(RunEndingMessage(run).toStdString(), refusal.toStdString());
        EXPECT_EQ(run.Memo.mid(run.Memo.size() - 2).join('\n').toStdString(),
                  (refusal + QStringLiteral("\nОшибка импорта")).toStdString());
        EXPECT_EQ(stopped, c.Stop);
        fileSystem.Free();
        EXPECT_EQ(Snapshot(Dest), before);
        Dest.Close();
    }
}

// The section link cannot be made in the source (here a trigger refuses the update that
// clears references to sections that do not exist): without it the road objects would keep
// their source's section keys and point at other titles' sections. The preparation stops
// before any row is copied, names the source and the reason, and removes what it made.
TEST_F(RunFaults, ASectionLinkThatCannotBeMadeStopsThePreparation) {
    TCleanUpFrontEnd run;
    PrepareRun(run, 2, 4);
    Execute(Source, QStringLiteral("create trigger refuse before update of Код_участка on Дорожный_объект "
                                   "begin select raise(abort, 'участок не меняется'); end"));
    const QStringList sourceBefore = Snapshot(Source);
    const QStringList destBefore = Snapshot(Dest);

    EXPECT_EQ(RunEndingMessage(run).toStdString(),
              (QStringLiteral("Импорт невозможен: Ошибка создания связей в базе-источнике \"") +
               QFileInfo(SourcePath).canonicalFilePath() + QStringLiteral("\": участок не меняется"))
                  .toStdString());
    EXPECT_TRUE(run.Events.filter(QStringLiteral("ask ")).isEmpty());
    EXPECT_EQ(Snapshot(Source), sourceBefore);
    EXPECT_EQ(Snapshot(Dest), destBefore);
}

// A stop answered with "save" commits what was copied; a clean-up that then finds the
// destination locked by another program (a PostgreSQL session that reads Титул while the
// GUID column an older version left in it, which a view still reads, is to be dropped again)
// reports the commit as it happened.
TEST_F(RunFaults, ASaveAtAStopIsReportedAsSavedWhateverTheCleanUpMeets) {
    REQUIRE_POSTGRES_SERVER();
    Source.ConnectionString = CreatePostgresDatabase(QStringLiteral("road_faults_source"));
    Dest.ConnectionString = CreatePostgresDatabase(QStringLiteral("road_faults_dest"));
    Source.Open();
    Dest.Open();
    FillSampleDatabase(Source, 2, 3, 5);
    FillEmptySampleDatabase(Dest, true);
    Execute(Dest, QStringLiteral("ALTER TABLE Титул ADD GUID uuid NULL"));
    Execute(Dest, QStringLiteral("CREATE VIEW Титулы_по_GUID AS SELECT GUID FROM Титул"));
    Dest.CommandTimeout = 1;
    TCleanUpFrontEnd run;
    SetQuestionAsker(&run);
    TADOQuery list(&Source);
    FillListFromTable(QStringLiteral("Титул"), run, QStringLiteral("Код_титула, Наименование"), false, QString(),
                      QString(), list);
    for (int i = 0; i < run.ItemCount(); ++i) run.SetItemChecked(i, true);
    // The user stops the run after the first title is copied: "Продолжить?" No,
    // "Сохранить уже перенесенные данные?" Yes.
    bool stopped = false;
    run.RowHook = [&](const QString& table, int) {
        if (stopped || table != QStringLiteral("Титул")) return;
        stopped = true;
        throw EAbort();
    };
    int asked = 0;
    run.AskHook = [&](const QString&) { return ++asked == 1 ? mrNo : mrYes; };
    TADOConnection other;
    other.ConnectionString = Dest.ConnectionString;
    other.Open();
    int cleanUps = 0;
    run.CleanUpHook = [&] {
        if (++cleanUps != 2) return;
        Execute(other, QStringLiteral("BEGIN TRANSACTION;"));
        Execute(other, QStringLiteral("LOCK TABLE Титул IN ACCESS SHARE MODE"));
    };

    const QString message = RunEndingMessage(run);
    Execute(other, QStringLiteral("ROLLBACK TRANSACTION;"));
    EXPECT_EQ(message.toStdString(), (QStringLiteral("Целевая база данных \"") + DatabaseName(Dest.ConnectionString) +
                                      QStringLiteral("\" занята другой программой; импорт остановлен, изменения ВНЕСЕНЫ в базу"))
                                         .toStdString());
    EXPECT_GT(Scalar(Dest, QStringLiteral("select count(*) from Титул")), 0);
    other.Close();
    Source.Close();
    Dest.Close();
    DropPostgresDatabase(QStringLiteral("road_faults_source"));
    DropPostgresDatabase(QStringLiteral("road_faults_dest"));
}
