// road-import killed (SIGKILL) at each moment of a real import on SQLite files: the schema of
// both files (sqlite_master, every field of every row) is the same while the run is held
// there, after it is killed and after the next run, which imports every title. The same
// holds for a schema with a stale view, and a run that meets the GUID columns an older
// version left removes them.

#include "cli/CliHarness.h"
#include "cli/SqliteInspector.h"
#include "common/TestFiles.h"
#include "db/ConnectionString.h"

#include <QProcess>
#include <QThread>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

QString Schema(const TDatabaseInspector& db) {
    QStringList rows;
    for (const QVariantList& row :
         db.Select(QStringLiteral("select type, name, tbl_name, rootpage, sql from sqlite_master order by rowid"))) {
        QStringList fields;
        for (const QVariant& value : row) fields << (value.isNull() ? QStringLiteral("<null>") : value.toString());
        rows << fields.join(QLatin1Char('|'));
    }
    return rows.join(QLatin1Char('\n'));
}

QString Schema(const QString& path) { return Schema(TSqliteInspector(path)); }

// Where the killed run is held until it is killed: another program's lock that a statement
// of that moment waits for, or none (the run goes on while it is stopped).
enum class THold { None, SourceWriteLock, DestReadLock };

struct TKillCase {
    const char* Name;
    int Titles, Rows;
    THold Hold;
    QString KillAfter;   // the killed run prints this line first; empty: no killed run
    QString NotPrinted;  // a line of a later moment, which the killed run must not have reached
    std::function<void(TDatabaseInspector& source, TDatabaseInspector& dest)> Plant;  // before the schemas are read
    std::function<void(TDatabaseInspector& source, TDatabaseInspector& dest)> Older;   // after: what an older version left
};

void PlantStaleView(TDatabaseInspector& db) {
    db.Execute(QStringLiteral("create table Старая_таблица (Код integer primary key)"));
    db.Execute(QStringLiteral("create view Старый_вид as select * from Старая_таблица"));
    db.Execute(QStringLiteral("drop table Старая_таблица"));
}

const QList<TKillCase>& Cases() {
    static const QList<TKillCase> cases = {
        // Waiting for the source to clear the section references, after the GUIDs are made.
        {"preparation", 4, 10, THold::SourceWriteLock, QStringLiteral("Создаем GUID-ы"), QStringLiteral("Импорт таблицы "), nullptr, nullptr},
        {"copy", 6, 60, THold::None, QStringLiteral("Импорт таблицы Знак"), QStringLiteral("Итоги импорта по таблицам:"),
         nullptr, nullptr},
        // The clean-up done inside the transaction, the commit waiting for a reader.
        {"clean-up and commit", 4, 10, THold::DestReadLock, QStringLiteral("Итоги импорта по таблицам:"),
         QStringLiteral("Импорт прошел успешно!"), nullptr, nullptr},
        {"stale view", 4, 10, THold::None, QString(), QString(),
         [](TDatabaseInspector& source, TDatabaseInspector& dest) {
             PlantStaleView(source);
             PlantStaleView(dest);
         },
         nullptr},
        // An older version kept a computed GUID in the source, a stored and indexed one in the
        // destination; the schema afterwards is the one from before them.
        {"left by an older version", 4, 10, THold::None, QString(), QString(), nullptr,
         [](TDatabaseInspector& source, TDatabaseInspector& dest) {
             source.Execute(QStringLiteral("alter table Событие add GUID uniqueidentifier generated always as "
                                           "('0A1B2C3D-0000-0000-0000-' || printf('%012X', Код_события)) virtual"));
             source.Execute(QStringLiteral("alter table Титул add GUID uniqueidentifier NULL"));
             dest.Execute(QStringLiteral("alter table Событие add GUID uniqueidentifier NULL"));
             dest.Execute(QStringLiteral("create index \"GUID_Событие\" on Событие(GUID)"));
         }},
    };
    return cases;
}

// Starts a run of every title and kills it after the case's line; the schemas are compared
// while it is stopped there and after it is gone.
void KillRun(const TKillCase& kase, const TImportPair& pair, const QString& sourcePath, const QString& destPath,
             const QString& sourceSchema, const QString& destSchema) {
    TSqliteInspector holder(kase.Hold == THold::DestReadLock ? destPath : sourcePath);
    if (kase.Hold == THold::SourceWriteLock) holder.Execute(QStringLiteral("begin immediate"));
    if (kase.Hold == THold::DestReadLock) {
        holder.Execute(QStringLiteral("begin"));
        holder.Select(QStringLiteral("select count(*) from Регион"));
    }
    QProcess process;
    process.start(ImporterPath(), pair.Arguments({QStringLiteral("--all-titles"), QStringLiteral("--save"), QStringLiteral("yes")}));
    ASSERT_TRUE(process.waitForStarted());
    QStringList lines;
    ASSERT_TRUE(WaitForLine(process, kase.KillAfter, lines, 60000)) << lines.join('\n').toStdString();
    if (kase.Hold != THold::None) QThread::msleep(500);  // on into the wait for the lock
    const pid_t pid = static_cast<pid_t>(process.processId());
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    // A reader would wait for the commit's lock on the destination: the holder reads it.
    EXPECT_EQ(Schema(sourcePath), sourceSchema) << "while held";
    EXPECT_EQ(kase.Hold == THold::DestReadLock ? Schema(holder) : Schema(destPath), destSchema) << "while held";
    process.kill();
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
    lines += QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'));
    EXPECT_TRUE(lines.filter(kase.NotPrinted).isEmpty()) << "the run got past the moment:\n" << lines.join('\n').toStdString();
    if (kase.Hold != THold::None) holder.Execute(QStringLiteral("rollback"));
}

}  // namespace

TEST(SqliteKill, NeitherSchemaChangesWhereverTheRunIsKilledAndTheNextRunImports) {
    for (const TKillCase& kase : Cases()) {
        SCOPED_TRACE(kase.Name);
        TTestDir dir;
        const QString sourcePath = dir.Path(QStringLiteral("source.db"));
        const QString destPath = dir.Path(QStringLiteral("dest.db"));
        MakeSampleSource(sourcePath, kase.Titles, kase.Rows, 5);
        MakeSampleDest(destPath, true);
        const TImportPair pair{SqliteConnectionString(sourcePath), SqliteConnectionString(destPath),
                               [](const QString& connection) -> std::unique_ptr<TDatabaseInspector> {
                                   return std::make_unique<TSqliteInspector>(ParseConnectionString(connection).Location());
                               }};
        QString sourceSchema, destSchema;
        {
            TSqliteInspector source(sourcePath), dest(destPath);
            if (kase.Plant) kase.Plant(source, dest);
            sourceSchema = Schema(source);
            destSchema = Schema(dest);
            if (kase.Older) kase.Older(source, dest);
        }

        if (!kase.KillAfter.isEmpty()) {
            KillRun(kase, pair, sourcePath, destPath, sourceSchema, destSchema);
            EXPECT_EQ(Schema(sourcePath), sourceSchema) << "after the kill";
            EXPECT_EQ(Schema(destPath), destSchema) << "after the kill";
        }

        const TToolRun next = RunImporter(pair.Arguments({QStringLiteral("--all-titles"), QStringLiteral("--save"), QStringLiteral("yes")}));
        EXPECT_EQ(next.ExitCode, 0) << next.Err.toStdString();
        QStringList keys;
        for (int key = 1; key <= kase.Titles; ++key) keys << QString::number(key);
        ExpectTitlesImported(pair, keys.join(QStringLiteral(", ")));
        EXPECT_EQ(Schema(sourcePath), sourceSchema) << "after the next run";
        EXPECT_EQ(Schema(destPath), destSchema) << "after the next run";
    }
}
