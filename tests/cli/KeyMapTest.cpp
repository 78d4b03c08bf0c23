// --key-map: where each handled row went, checked against both databases, and the title
// codes of the summary; a key map that cannot be written; report files that are pipes.

#include "cli/CliHarness.h"
#include "cli/SqliteInspector.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct TKeyMapLine {
    QString Table, SourceKey, DestKey, Outcome, Failure, PulledIn;
};

QList<TKeyMapLine> ReadKeyMap(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    EXPECT_EQ(lines.value(0), QStringLiteral("table,source_key,dest_key,outcome,failure,pulled_in"));
    EXPECT_EQ(lines.last(), QString());  // every line ended
    QList<TKeyMapLine> rows;
    for (const QString& line : lines.mid(1, lines.size() - 2)) {
        const QStringList f = line.split(QLatin1Char(','));
        EXPECT_EQ(f.size(), 6) << line.toStdString();
        if (f.size() == 6) rows.append({f[0], f[1], f[2], f[3], f[4], f[5]});
    }
    return rows;
}

}  // namespace

// The destination already holds a title (so its keys differ from the source's), lacks one
// sign type (inserted when a sign needs it), and rejects the signs on the right side. Every
// line of the key map leads from a source row to the destination row of the same content,
// references followed; the rejected signs are failed inserts without a destination key; the
// lines add up to the summary's counts; the summary names each title's destination code.
TEST(KeyMap, EveryHandledRowLeadsToItsRowInTheDestination) {
    const TSampleFiles files(3, 3, 4);
    const QString &source = files.Source, &dest = files.Dest;
    const QString keyMapFile = files.Dir.Path(QStringLiteral("keys.csv"));
    const QString summaryFile = files.Dir.Path(QStringLiteral("summary.json"));
    ASSERT_EQ(RunImporter(ImportArguments(source, dest, {"--titles", "3", "--save", "yes"})).ExitCode, 0);
    int rejected = 0;
    {
        TSqliteInspector db(dest);
        db.Execute(QStringLiteral("delete from Справочник_типов_знаков where Код_типа_знака = "
                                  "(select min(Код_типа_знака) from Справочник_типов_знаков where Код_типа_знака not in "
                                  "(select Код_типа_знака from Знак))"));
        db.Execute(QStringLiteral("CREATE TRIGGER TR_Знак_справа BEFORE INSERT ON Знак WHEN NEW.Сторона = 'справа' "
                                  "BEGIN SELECT RAISE(ABORT, 'знаки справа не принимаются'); END"));
        rejected = TSqliteInspector(source)
                       .Select(QStringLiteral("select count(*) from Знак z join Дорожный_объект o on o.Код_объекта = "
                                              "z.Код_объекта where o.Код_титула in (1, 2) and z.Сторона = 'справа'"))
                       .first()[0]
                       .toInt();
    }
    ASSERT_GT(rejected, 0);

    const TToolRun run = RunImporter(
        ImportArguments(source, dest, {"--titles", "1,2", "--save", "yes", "--key-map", keyMapFile, "--summary", summaryFile}));
    ASSERT_EQ(run.ExitCode, 4) << run.Err.toStdString();

    TSqliteInspector sourceDb(source), destDb(dest);
    TRowContent sourceRows(sourceDb), destRows(destDb);
    QMap<QString, QMap<QString, int>> counted;  // table -> outcome (and "pulled_in") -> lines
    int failedSigns = 0;
    for (const TKeyMapLine& row : ReadKeyMap(keyMapFile)) {
        const std::string line = (row.Table + ' ' + row.SourceKey + "->" + row.DestKey + ' ' + row.Outcome).toStdString();
        ++counted[row.Table][row.Outcome];
        if (row.PulledIn == QStringLiteral("yes") && row.Outcome != QStringLiteral("failed")) ++counted[row.Table][QStringLiteral("pulled_in")];
        if (row.Outcome == QStringLiteral("failed")) {
            EXPECT_EQ(row.Table, QStringLiteral("Знак")) << line;
            EXPECT_EQ(row.Failure, QStringLiteral("insert")) << line;
            EXPECT_TRUE(row.DestKey.isEmpty()) << line;
            ++failedSigns;
            continue;
        }
        EXPECT_TRUE(row.Failure.isEmpty()) << line;
        EXPECT_EQ(destRows.Row(row.Table, row.DestKey.toInt()), sourceRows.Row(row.Table, row.SourceKey.toInt())) << line;
    }
    EXPECT_EQ(failedSigns, rejected);
    EXPECT_EQ(counted[QStringLiteral("Справочник_типов_знаков")][QStringLiteral("inserted")], 1);

    const QJsonObject summary = ReadJsonObject(summaryFile);
    const QJsonObject tables = summary.value(QStringLiteral("tables")).toObject();
    EXPECT_EQ(QStringList(counted.keys()), [&] { QStringList names = tables.keys(); names.sort(); return names; }());
    for (auto table = tables.begin(); table != tables.end(); ++table)
        for (const char* outcome : {"inserted", "reused", "updated", "failed", "pulled_in"})
            EXPECT_EQ(counted[table.key()][QLatin1String(outcome)], table.value().toObject().value(QLatin1String(outcome)).toInt())
                << table.key().toStdString() << ' ' << outcome;

    const QJsonArray titles = summary.value(QStringLiteral("titles")).toArray();
    ASSERT_EQ(titles.size(), 2);
    for (const QJsonValue& title : titles) {
        const QJsonObject t = title.toObject();
        const QList<QVariantList> found = destDb.Select(QStringLiteral("select Наименование from Титул where Код_титула = %1")
                                                            .arg(t.value(QStringLiteral("dest_code")).toInt(-1)));
        ASSERT_EQ(found.size(), 1) << t.value(QStringLiteral("code")).toInt();
        EXPECT_NE(t.value(QStringLiteral("dest_code")).toInt(), t.value(QStringLiteral("code")).toInt());
        EXPECT_EQ(found.first()[0].toString(), t.value(QStringLiteral("name")).toString());
    }
}

// A key map checked beforehand like the summary (a usage error, nothing done); one whose
// writing fails at the end is named on standard error, and a clean save then ends with 5,
// while any other end keeps its status. The run itself is not undone.
TEST(KeyMap, FileThatCannotBeWrittenIsReportedAndTheStatusSaysSo) {
    struct TCase {
        const char* KeyMap;
        const char* Save;
        int Status;
        const char* Message;
        bool TitleArrives;
    };
    const TCase cases[] = {
        {"no-such-folder/keys.csv", "yes", 2, "road-import: --key-map: cannot write \"", false},
        {"/dev/full", "yes", 5, "road-import: cannot write the key map \"/dev/full\": ", true},
        {"/dev/full", "no", 1, "road-import: cannot write the key map \"/dev/full\": ", false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.KeyMap) + " --save " + c.Save);
        const TSampleFiles files(1, 1);
        const QString keyMap = QString::fromUtf8(c.KeyMap).startsWith(QLatin1Char('/'))
                                   ? QString::fromUtf8(c.KeyMap)
                                   : files.Dir.Path(QString::fromUtf8(c.KeyMap));
        const TToolRun run =
            RunImporter(ImportArguments(files.Source, files.Dest, {"--all-titles", "--save", c.Save, "--key-map", keyMap}));
        EXPECT_EQ(run.ExitCode, c.Status) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(QString::fromUtf8(c.Message))) << run.Err.toStdString();
        EXPECT_EQ(TSqliteInspector(files.Dest).RowCount(QStringLiteral("Титул")), c.TitleArrives ? 1 : 0);
    }
}

// A pipe named as the key map and the summary receives both and stays a pipe: a report
// file is put in place by renaming only where it is a regular file.
TEST(KeyMap, ReportFilesThatArePipesAreWrittenNotReplaced) {
    const TSampleFiles files(1, 1);
    const QString pipe = files.Dir.Path(QStringLiteral("reports"));
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    // Held open for reading and writing, so that the runner's opens never wait for a reader.
    const int held = open(QFile::encodeName(pipe).constData(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(held, 0);
    const TToolRun run =
        RunImporter(ImportArguments(files.Source, files.Dest,
                                    {"--all-titles", "--save", "yes", "--key-map", pipe, "--summary", pipe}));
    QByteArray received(65536, '\0');
    const ssize_t size = read(held, received.data(), received.size());
    close(held);
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_FALSE(QFileInfo(pipe).isFile());
    ASSERT_GT(size, 0);
    received.truncate(size);
    EXPECT_TRUE(received.contains("\ntable,source_key,dest_key,outcome,failure,pulled_in\n")) << received.toStdString();
    EXPECT_TRUE(received.contains("\nТитул,1,1,inserted,,no\n")) << received.toStdString();
    EXPECT_TRUE(received.contains("\"outcome\": \"saved\"")) << received.toStdString();
}
