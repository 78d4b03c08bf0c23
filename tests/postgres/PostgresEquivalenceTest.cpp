// The import on PostgreSQL gives what it gave when the GUID columns and the section link were
// made in the databases: the same memo, questions and exit status, the same log (time stamps
// left out) and the same content of the destination, keys included; and the source is left
// exactly as it was (the earlier realisation cleared its references to missing sections, for
// good). The expected texts in data/postgres-equivalence were recorded with that realisation,
// its row selections in key order (commit d873d1d); ROAD_IMPORT_EQUIVALENCE_RECORD=<road-import>
// records them anew with the runner it names.

#include "cli/RecordedOutputs.h"
#include "common/PostgresInspector.h"
#include "common/PostgresTestServer.h"
#include "db/ConnectionString.h"


namespace {

// The content dump with each long binary value by its digest.
QString Dump(const QString& connection) {
    return WithBlobsDigested(TPostgresInspector(connection).ContentDump(), QStringLiteral("x'([0-9a-f]{64,})'"),
                             QStringLiteral("x'"));
}

struct TRunCase {
    const char* Name;
    const char* Save;
};

}  // namespace

TEST(PostgresEquivalence, TheImportGivesWhatTheColumnsInTheDatabasesGave) {
    REQUIRE_POSTGRES_SERVER();
    const QString recordWith = qEnvironmentVariable("ROAD_IMPORT_EQUIVALENCE_RECORD");
    const QString program = recordWith.isEmpty() ? ImporterPath() : recordWith;
    const QDir expected(QStringLiteral(ROAD_IMPORT_TEST_DATA "/postgres-equivalence"));
    // A destination with titles of its own and every dictionary under other keys.
    for (const TRunCase& run : {TRunCase{"saved", "yes"}, TRunCase{"declined", "no"}}) {
        SCOPED_TRACE(run.Name);
        TTestDir dir;
        const QString source = CreatePostgresDatabase(QStringLiteral("road_equivalence_source"));
        const QString dest = CreatePostgresDatabase(QStringLiteral("road_equivalence_dest"));
        const QString log = dir.Path(QStringLiteral("run.log"));
        MakeSampleSource(source, 3, 4, 7);
        MakeSampleSource(dest, 2, 3, 9, 100);
        const QString sourceBefore = Dump(source);
        const TToolRun result =
            RunTool(program, {QStringLiteral("--source"), source, QStringLiteral("--dest"), dest, QStringLiteral("--titles"),
                              QStringLiteral("1,3"), QStringLiteral("--save"), QString::fromLatin1(run.Save),
                              QStringLiteral("--log"), log});
        // Where the suite's server listens is no part of what is compared.
        const QString server = ParseConnectionString(source).DataSource();
        const auto withoutServer = [&](QString text) { return text.replace(server, QStringLiteral("<server>")); };
        ExpectRecorded(expected, QString::fromLatin1(run.Name),
                       {{QStringLiteral(".out"), withoutServer(RunTranscript(result))},
                        {QStringLiteral(".log"), withoutServer(LogWithoutTimes(log))},
                        {QStringLiteral("-dest.dump"), Dump(dest)}},
                       !recordWith.isEmpty());
        if (recordWith.isEmpty()) EXPECT_EQ(Dump(source).toStdString(), sourceBefore.toStdString());
        DropPostgresDatabase(QStringLiteral("road_equivalence_source"));
        DropPostgresDatabase(QStringLiteral("road_equivalence_dest"));
    }
}
