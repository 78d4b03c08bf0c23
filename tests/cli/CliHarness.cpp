#include "cli/CliHarness.h"

#include "common/DatabaseInspector.h"
#include "common/TestFiles.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <gtest/gtest.h>

QString ImporterPath() { return QStringLiteral(ROAD_IMPORT_BIN); }

QJsonObject ReadJsonObject(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
}

TToolRun RunTool(const QString& program, const QStringList& arguments, int timeoutMs,
                 const QStringList& environment) {
    QProcess process;
    if (!environment.isEmpty()) {
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        for (const QString& pair : environment) variables.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
        process.setProcessEnvironment(variables);
    }
    process.start(program, arguments);
    TToolRun run;
    if (!process.waitForStarted()) {
        ADD_FAILURE() << "cannot start " << program.toStdString();
        return run;
    }
    if (!process.waitForFinished(timeoutMs)) {
        ADD_FAILURE() << program.toStdString() << " did not finish in " << timeoutMs << " ms";
        process.kill();
        process.waitForFinished();
    }
    run.Crashed = process.exitStatus() != QProcess::NormalExit;
    run.ExitCode = process.exitCode();
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    run.Out = out.split(QLatin1Char('\n'));
    if (!run.Out.isEmpty() && run.Out.last().isEmpty()) run.Out.removeLast();
    run.Err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

TToolRun RunImporter(const QStringList& arguments, const QStringList& environment) {
    return RunTool(ImporterPath(), arguments, 60000, environment);
}

QStringList ImportArguments(const QString& sourcePath, const QString& destPath, const QStringList& more) {
    return QStringList{QStringLiteral("--source"), SqliteConnectionString(sourcePath), QStringLiteral("--dest"),
                       SqliteConnectionString(destPath)} +
           more;
}

static void RunSampleTool(const QStringList& arguments) {
    const TToolRun run = RunTool(QStringLiteral(ROAD_SAMPLE_BIN), arguments);
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
}

void MakeSampleSource(const QString& path, int titles, int rows, int seed, int firstTitle) {
    RunSampleTool({QStringLiteral("source"), path, QStringLiteral("--titles"), QString::number(titles),
                   QStringLiteral("--rows"), QString::number(rows), QStringLiteral("--seed"), QString::number(seed),
                   QStringLiteral("--first-title"), QString::number(firstTitle)});
}

TSampleFiles::TSampleFiles(int titles, int rows, int seed)
    : Source(Dir.Path(QStringLiteral("source.db"))), Dest(Dir.Path(QStringLiteral("dest.db"))) {
    MakeSampleSource(Source, titles, rows, seed);
    MakeSampleDest(Dest, true);
}

void MakeSampleDest(const QString& path, bool withDictionaries) {
    QStringList arguments{QStringLiteral("empty"), path};
    if (withDictionaries) arguments << QStringLiteral("--with-dictionaries");
    RunSampleTool(arguments);
}

bool WaitForLine(QProcess& process, const QString& prefix, QStringList& lines, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    QByteArray pending;
    while (!deadline.hasExpired()) {
        if (!process.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) return false;
        pending += process.readAllStandardOutput();
        int end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(end));
            pending.remove(0, end + 1);
            lines << line;
            if (line.startsWith(prefix)) return true;
        }
    }
    return false;
}

const QList<TOwnedTable>& OwnedTables() {
    static const QString objects = QStringLiteral("select Код_объекта from Дорожный_объект where Код_титула in (%1)");
    static const QString events = QStringLiteral("select Код_события from Событие where Код_титула in (%1)");
    static const QString defects =
        QStringLiteral("select Код_дефекта from Дефект where Код_события_обнаружения in (") + events + QLatin1Char(')');
    static const QString repairs = QStringLiteral("select Код_ремонта from Ремонт where Код_события in (") + events + QLatin1Char(')');
    static const QList<TOwnedTable> tables = {
        {QStringLiteral("Титул"), QStringLiteral("Код_титула in (%1)")},
        {QStringLiteral("Межузловой_участок"), QStringLiteral("Код_титула in (%1)")},
        {QStringLiteral("Дорожный_объект"), QStringLiteral("Код_титула in (%1)")},
        {QStringLiteral("Знак"), QStringLiteral("Код_объекта in (") + objects + QLatin1Char(')')},
        {QStringLiteral("Измерение"), QStringLiteral("Код_объекта in (") + objects + QLatin1Char(')')},
        {QStringLiteral("Событие"), QStringLiteral("Код_титула in (%1)")},
        {QStringLiteral("Дефект"), QStringLiteral("Код_дефекта in (") + defects + QLatin1Char(')')},
        {QStringLiteral("Фото_дефекта"), QStringLiteral("Код_дефекта in (") + defects + QLatin1Char(')')},
        {QStringLiteral("Ремонт"), QStringLiteral("Код_события in (") + events + QLatin1Char(')')},
        {QStringLiteral("Акт_приемки"), QStringLiteral("Код_ремонта in (") + repairs + QLatin1Char(')')},
    };
    return tables;
}

QStringList TImportPair::Arguments(const QStringList& more) const {
    return QStringList{QStringLiteral("--source"), Source, QStringLiteral("--dest"), Dest} + more;
}

QString AllTitleKeys(const TImportPair& pair) {
    QStringList keys;
    for (const QVariantList& row : pair.Inspect(pair.Source)->Select(QStringLiteral("select Код_титула from Титул")))
        keys << row[0].toString();
    return keys.join(QStringLiteral(", "));
}

void ExpectNoTraces(const TImportPair& pair) {
    for (const QString& connection : {pair.Source, pair.Dest}) {
        const std::unique_ptr<TDatabaseInspector> db = pair.Inspect(connection);
        EXPECT_EQ(db->TablesWithGuidColumn(), QStringList());
        EXPECT_EQ(db->SectionLinkCount(), 0);
    }
}

void ExpectTitlesImported(const TImportPair& pair, const QString& keys) {
    const std::unique_ptr<TDatabaseInspector> source = pair.Inspect(pair.Source);
    const std::unique_ptr<TDatabaseInspector> dest = pair.Inspect(pair.Dest);
    TRowContent sourceContent(*source), destContent(*dest);
    for (const TOwnedTable& owned : OwnedTables()) {
        const QStringList rows = destContent.Rows(owned.Table);
        EXPECT_EQ(rows, sourceContent.Rows(owned.Table, owned.Where.arg(keys))) << owned.Table.toStdString();
        EXPECT_FALSE(rows.join(QLatin1Char('\n')).contains(QStringLiteral("<missing"))) << owned.Table.toStdString();
    }
}
