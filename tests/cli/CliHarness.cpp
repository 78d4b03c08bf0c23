#include "cli/CliHarness.h"

#include "common/TestFiles.h"

#include <QProcess>
#include <gtest/gtest.h>

QString ImporterPath() { return QStringLiteral(ROAD_IMPORT_BIN); }

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

void MakeSampleDest(const QString& path, bool withDictionaries) {
    QStringList arguments{QStringLiteral("empty"), path};
    if (withDictionaries) arguments << QStringLiteral("--with-dictionaries");
    RunSampleTool(arguments);
}
