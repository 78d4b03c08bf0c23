// The import on SQLite gives what it gave when the GUID columns and the section link were
// made in the files: the same memo, questions and exit status, the same log (time stamps
// left out) and the same content of both files, keys included (`sqlite3 .dump`, each binary
// value by its digest). The expected texts in data/sqlite-equivalence were recorded with
// that earlier realisation (commit c50d36f); ROAD_IMPORT_EQUIVALENCE_RECORD=<road-import>
// records them anew with the runner it names.

#include "cli/RecordedOutputs.h"
#include "common/TestFiles.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

// `sqlite3 FILE .dump`, every binary value by its digest.
QString Dump(const QString& path) {
    const TToolRun run = RunTool(QStringLiteral("sqlite3"), {path, QStringLiteral(".dump")});
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    return WithBlobsDigested(run.Out.join(QLatin1Char('\n')), QStringLiteral("X'([0-9a-f]*)'"), QStringLiteral("X'")) +
           QLatin1Char('\n');
}

struct TRunCase {
    const char* Name;
    const char* Save;
};

}  // namespace

TEST(SqliteEquivalence, TheImportGivesWhatTheColumnsInTheFilesGave) {
    const QString recordWith = qEnvironmentVariable("ROAD_IMPORT_EQUIVALENCE_RECORD");
    const QString program = recordWith.isEmpty() ? ImporterPath() : recordWith;
    const QDir expected(QStringLiteral(ROAD_IMPORT_TEST_DATA "/sqlite-equivalence"));
    // A destination with titles of its own and every dictionary under other keys.
    for (const TRunCase& run : {TRunCase{"saved", "yes"}, TRunCase{"declined", "no"}}) {
        SCOPED_TRACE(run.Name);
        TTestDir dir;
        const QString source = dir.Path(QStringLiteral("source.db"));
        const QString dest = dir.Path(QStringLiteral("dest.db"));
        const QString log = dir.Path(QStringLiteral("run.log"));
        MakeSampleSource(source, 3, 4, 7);
        MakeSampleSource(dest, 2, 3, 9, 100);
        const TToolRun result =
            RunTool(program, ImportArguments(source, dest,
                                             {QStringLiteral("--titles"), QStringLiteral("1,3"), QStringLiteral("--save"),
                                              QString::fromLatin1(run.Save), QStringLiteral("--log"), log}));
        ExpectRecorded(expected, QString::fromLatin1(run.Name),
                       {{QStringLiteral(".out"), RunTranscript(result)},
                        {QStringLiteral(".log"), LogWithoutTimes(log)},
                        {QStringLiteral("-source.dump"), Dump(source)},
                        {QStringLiteral("-dest.dump"), Dump(dest)}},
                       !recordWith.isEmpty());
    }
}
