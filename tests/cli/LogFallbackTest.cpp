// The diagnostic log of an installed runner, and of one whose own folder cannot take it.

#include "cli/CliHarness.h"
#include "cli/SqliteInspector.h"
#include "common/TestFiles.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QString FileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

// The log never goes beside an installed runner (one in a bin folder, as under /usr/bin,
// even when its folder is writable, as it is for root), nor beside one whose file cannot be
// made there (a folder stands in its place, which no user, root included, can write as a
// file): it goes to $XDG_STATE_HOME/road-import, or ~/.local/state/road-import without it,
// and a failed run names that file.
TEST(LogFallback, InstalledOrUnwritableBesideTheExecutableMovesTheLogToTheStateFolder) {
    struct TCase {
        const char* Folder;
        bool BlockBeside;
    };
    for (const TCase& place : {TCase{"root/usr/bin", false}, TCase{"tools", true}}) {
        SCOPED_TRACE(place.Folder);
        TTestDir dir;
        const QString folder = dir.Path(QLatin1String(place.Folder));
        ASSERT_TRUE(QDir().mkpath(folder));
        if (place.BlockBeside) {
            ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/road-import.log")));
        }
        const QString runner = folder + QStringLiteral("/road-import");
        ASSERT_TRUE(QFile::copy(ImporterPath(), runner));
        const QStringList folderBefore = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        const QString source = dir.Path(QStringLiteral("source.db"));
        const QString dest = dir.Path(QStringLiteral("dest.db"));
        MakeSampleSource(source, 2, 1);
        MakeSampleDest(dest, true);
        {
            TSqliteInspector db(dest);
            db.Execute(QStringLiteral("drop table Знак"));  // the copy fails there
        }
        const QStringList failing = ImportArguments(
            source, dest, {QStringLiteral("--all-titles"), QStringLiteral("--save"), QStringLiteral("yes")});

        const QString stateLog = dir.Path(QStringLiteral("state/road-import/road-import.log"));
        TToolRun run =
            RunTool(runner, failing, 60000, {QStringLiteral("XDG_STATE_HOME=") + dir.Path(QStringLiteral("state"))});
        EXPECT_EQ(run.ExitCode, 1) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(QStringLiteral("the cause is in the diagnostic log ") + stateLog)) << run.Err.toStdString();
        EXPECT_TRUE(FileText(stateLog).contains(QStringLiteral(">>>Импорт Tablix")));
        EXPECT_EQ(QFile::permissions(dir.Path(QStringLiteral("state/road-import"))) &
                      (QFileDevice::ReadOther | QFileDevice::ReadGroup),
                  QFileDevice::Permissions());

        const QString homeLog = dir.Path(QStringLiteral("home/.local/state/road-import/road-import.log"));
        run = RunTool(runner, failing, 60000,
                      {QStringLiteral("XDG_STATE_HOME="), QStringLiteral("HOME=") + dir.Path(QStringLiteral("home"))});
        EXPECT_EQ(run.ExitCode, 1) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(QStringLiteral("the cause is in the diagnostic log ") + homeLog)) << run.Err.toStdString();
        EXPECT_TRUE(FileText(homeLog).contains(QStringLiteral("<<<Импорт Tablix")));
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), folderBefore);
    }
}
