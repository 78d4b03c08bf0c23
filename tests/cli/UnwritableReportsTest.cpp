// Files the runner writes beside the import that stop being writable (here /dev/full, a disk
// that is always full): the user is told which file and why, and a summary that is missing
// does not pass for a clean run.

#include "CliHarness.h"

#include <gtest/gtest.h>

TEST(UnwritableReports, AFullDiskIsNamedAndAMissingSummaryIsNoCleanRun) {
    const struct {
        const char* Case;
        QStringList Options;
        int ExitCode;
        QString Said;  // on standard error
    } cases[] = {
        {"log", {"--log", "/dev/full"}, 0,
         "road-import: warning: the diagnostic log \"/dev/full\" cannot be written (write: No space left on device); "
         "logging is switched off"},
        {"summary", {"--summary", "/dev/full"}, 5,
         "road-import: cannot write the summary \"/dev/full\": No space left on device"},
        {"key map", {"--key-map", "/dev/full"}, 5, "road-import: cannot write the key map \"/dev/full\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        TSampleFiles files(2, 2);
        const TToolRun run = RunImporter(ImportArguments(files.Source, files.Dest,
                                                         QStringList{"--titles", "1", "--save", "yes"} + c.Options));
        EXPECT_EQ(run.ExitCode, c.ExitCode) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(c.Said)) << run.Err.toStdString();
        // Said once, however many lines the run logs after.
        EXPECT_EQ(run.Err.count(QStringLiteral("diagnostic log")), QString(c.Case) == "log" ? 1 : 0)
            << run.Err.toStdString();
    }
}
