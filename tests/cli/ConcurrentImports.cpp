#include "cli/ConcurrentImports.h"

#include "common/DatabaseInspector.h"
#include "db/DatabaseName.h"

#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <gtest/gtest.h>

namespace {

const QStringList SaveAll = {QStringLiteral("--all-titles"), QStringLiteral("--save"), QStringLiteral("yes")};

// Starts the runner and waits until it has begun copying the table.
bool StartUntilTable(QProcess& process, const TImportPair& pair, const QString& table, QStringList& lines) {
    process.start(ImporterPath(), pair.Arguments(SaveAll));
    if (!process.waitForStarted()) return false;
    return WaitForLine(process, QStringLiteral("Импорт таблицы ") + table, lines, 60000);
}

QString Dump(const TImportPair& pair, const QString& connection) { return pair.Inspect(connection)->ContentDump(); }

void ExpectRefused(const TImportPair& pair, const QString& role, const QString& claimed) {
    const TToolRun run = RunImporter(pair.Arguments(SaveAll));
    EXPECT_EQ(run.ExitCode, 1) << run.Err.toStdString();
    // A server names the session that holds the claim, in parentheses.
    const QRegularExpression refusal(QRegularExpression::escape(QStringLiteral("Ошибка: ") + role + QStringLiteral(" база данных \"") +
                                                                DatabaseName(claimed) +
                                                                QStringLiteral("\" уже используется другим импортом")) +
                                     QStringLiteral("( \\(клиент [^)]*\\))?") +
                                     QRegularExpression::escape(QStringLiteral("; импорт не начат, ничего не изменено.")));
    EXPECT_TRUE(run.Err.contains(refusal)) << run.Err.toStdString();
}

}  // namespace

void ExpectSecondRunRefusedWhileTheFirstRuns(const TImportPair& first, const TImportPair& sameDest,
                                             const TImportPair& sameSource) {
    const QString otherSourceBefore = Dump(sameDest, sameDest.Source);
    const QString otherDestBefore = Dump(sameSource, sameSource.Dest);

    QProcess process;
    QStringList lines;
    ASSERT_TRUE(StartUntilTable(process, first, QStringLiteral("Знак"), lines)) << lines.join('\n').toStdString();
    const pid_t pid = static_cast<pid_t>(process.processId());
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    ExpectRefused(sameDest, QStringLiteral("Целевая"), first.Dest);
    ExpectRefused(sameSource, QStringLiteral("Исходная"), first.Source);
    ASSERT_EQ(::kill(pid, SIGCONT), 0);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

    EXPECT_EQ(Dump(sameDest, sameDest.Source), otherSourceBefore);
    EXPECT_EQ(Dump(sameSource, sameSource.Dest), otherDestBefore);
    ExpectTitlesImported(first, AllTitleKeys(first));
    ExpectNoTraces(first);
}
