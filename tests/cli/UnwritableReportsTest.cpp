// Files the runner writes beside the import that cannot be completed (/dev/full, a disk that
// is always full; a real file system that is full; a pipe that nobody reads): the user is
// told which file and why, a missing report does not pass for a clean run, no file is left
// that looks complete, and the run never waits on a report.

#include "CliHarness.h"

#include "SqliteInspector.h"
#include "common/SmallFileSystem.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QByteArray Content(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

}  // namespace

TEST(UnwritableReports, AFullDiskIsNamedAndAMissingSummaryIsNoCleanRun) {
    const struct {
        const char* Case;
        QStringList Options;  // %1: the run's folder, which holds a pipe named "pipe"
        int ExitCode;
        QString Said;  // on standard error
    } cases[] = {
        {"log", {"--log", "/dev/full"}, 0,
         "road-import: warning: the diagnostic log \"/dev/full\" cannot be written (write: No space left on device); "
         "logging is switched off"},
        {"summary", {"--summary", "/dev/full"}, 5,
         "road-import: cannot write the summary \"/dev/full\": No space left on device"},
        {"key map", {"--key-map", "/dev/full"}, 5, "road-import: cannot write the key map \"/dev/full\""},
        // Opened only at the end and without waiting: no reader then is said, not waited for.
        {"summary to a pipe nobody reads", {"--summary", "%1/pipe"}, 5,
         "road-import: cannot write the summary \"%1/pipe\": no process has the pipe open for reading"},
        {"key map to a pipe nobody reads", {"--key-map", "%1/pipe"}, 5,
         "road-import: cannot write the key map \"%1/pipe\": no process has the pipe open for reading"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        TSampleFiles files(2, 2);
        const QString folder = QFileInfo(files.Source).absolutePath();
        ASSERT_EQ(mkfifo(QFile::encodeName(files.Dir.Path(QStringLiteral("pipe"))).constData(), 0600), 0);
        QStringList options;
        for (const QString& option : c.Options) options << QString(option).replace(QStringLiteral("%1"), folder);
        const TToolRun run = RunTool(ImporterPath(),
                                     ImportArguments(files.Source, files.Dest,
                                                     QStringList{"--titles", "1", "--save", "yes"} + options),
                                     20000);
        EXPECT_EQ(run.ExitCode, c.ExitCode) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(QString(c.Said).replace(QStringLiteral("%1"), folder))) << run.Err.toStdString();
        // Said once, however many lines the run logs after.
        EXPECT_EQ(run.Err.count(QStringLiteral("diagnostic log")), QString(c.Case) == "log" ? 1 : 0)
            << run.Err.toStdString();
    }
}

// A file system that is full when the run ends (here a tmpfs filled up): the summary and the
// key map are named with the reason and the status says so; neither is left empty or cut
// short, and a report of an earlier run is left as it was. The log keeps what it had and
// the whole lines that still fitted, never half a line.
TEST(UnwritableReports, OnAFullFileSystemNoReportLooksComplete) {
    const struct {
        const char* Case;
        bool FilesBefore;  // the three files hold an earlier run's content
    } cases[] = {
        {"new files", false},
        {"files of an earlier run", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        TSmallFileSystem fileSystem(64 * 1024);
        REQUIRE_SMALL_FILE_SYSTEM(fileSystem);
        const QString summary = fileSystem.Path(QStringLiteral("summary.json"));
        const QString keyMap = fileSystem.Path(QStringLiteral("keys.csv"));
        const QString log = fileSystem.Path(QStringLiteral("import.log"));
        if (c.FilesBefore) {
            for (const QString& path : {summary, keyMap, log}) {
                QFile file(path);
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                file.write("an earlier run's\r\n");
            }
        }
        const QByteArray summaryBefore = Content(summary), keyMapBefore = Content(keyMap), logBefore = Content(log);
        fileSystem.Fill();
        TSampleFiles files(2, 2);
        const TToolRun run = RunImporter(ImportArguments(
            files.Source, files.Dest,
            {"--all-titles", "--save", "yes", "--summary", summary, "--key-map", keyMap, "--log", log}));

        EXPECT_EQ(run.ExitCode, 5) << run.Err.toStdString();
        for (const QString& said : {QStringLiteral("road-import: cannot write the summary \"%1\": No space left on device").arg(summary),
                                    QStringLiteral("road-import: cannot write the key map \"%1\": No space left on device").arg(keyMap),
                                    QStringLiteral("road-import: warning: the diagnostic log \"%1\" cannot be written").arg(log)})
            EXPECT_TRUE(run.Err.contains(said)) << run.Err.toStdString();
        EXPECT_EQ(Content(summary), summaryBefore);
        EXPECT_EQ(Content(keyMap), keyMapBefore);
        const QByteArray logAfter = Content(log);  // made before the run, when it is checked
        EXPECT_TRUE(logAfter.startsWith(c.FilesBefore ? logBefore : QByteArray())) << logAfter.toStdString();
        EXPECT_TRUE(logAfter.isEmpty() || logAfter.endsWith("\r\n")) << logAfter.right(200).toStdString();
        fileSystem.Free();
        EXPECT_EQ(TSqliteInspector(files.Dest).RowCount(QStringLiteral("Титул")), 2);
    }
}
