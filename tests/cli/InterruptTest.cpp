// SIGINT during a long import acts as the window's "Отмена": nothing is saved and both
// databases are left without the run's temporary changes.

#include "cli/CliHarness.h"
#include "cli/SqliteInspector.h"
#include "common/TestFiles.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <csignal>
#include <gtest/gtest.h>

// Reads the runner's standard output until a line starting with `prefix` has arrived.
static bool WaitForLine(QProcess& process, const QString& prefix, QStringList& lines, int timeoutMs) {
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

TEST(Interrupt, SigintDuringTheCopyRollsEverythingBackAndCleansUp) {
    TTestDir dir;
    const QString source = dir.Path(QStringLiteral("source.db"));
    const QString dest = dir.Path(QStringLiteral("dest.db"));
    // Long enough that the copy is still running when the signal arrives.
    MakeSampleSource(source, 6, 100, 5);
    MakeSampleDest(dest, true);
    QString before;
    {
        TSqliteInspector db(dest);
        before = db.ContentDump();
    }

    QProcess process;
    process.start(ImporterPath(), ImportArguments(source, dest,
                                                  {QStringLiteral("--all-titles"), QStringLiteral("--save"),
                                                   QStringLiteral("yes"), QStringLiteral("--log"),
                                                   dir.Path(QStringLiteral("run.log")), QStringLiteral("--summary"),
                                                   dir.Path(QStringLiteral("summary.json"))}));
    ASSERT_TRUE(process.waitForStarted());
    QStringList lines;
    ASSERT_TRUE(WaitForLine(process, QStringLiteral("Импорт таблицы "), lines, 30000)) << lines.join('\n').toStdString();
    ASSERT_EQ(::kill(static_cast<pid_t>(process.processId()), SIGINT), 0);
    ASSERT_TRUE(process.waitForFinished(30000));

    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    lines += QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(lines.contains(QStringLiteral("Импорт прерван пользователем, изменения НЕ ВНЕСЕНЫ в базу")))
        << lines.join('\n').toStdString();
    EXPECT_EQ(lines.last(), QStringLiteral("Ошибка импорта"));
    EXPECT_FALSE(lines.contains(QStringLiteral("Импорт прошел успешно!")));
    EXPECT_TRUE(err.contains(QStringLiteral("Подтверждение: Операция прервана пользователем. Продолжить?\n-> Нет")))
        << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("Подтверждение: Сохранить уже перенесенные данные?\n-> Нет")))
        << err.toStdString();

    // The summary tells a stop, with the counts of what was done before it (all rolled back).
    QFile summaryFile(dir.Path(QStringLiteral("summary.json")));
    ASSERT_TRUE(summaryFile.open(QIODevice::ReadOnly));
    const QJsonObject summary = QJsonDocument::fromJson(summaryFile.readAll()).object();
    EXPECT_EQ(summary.value(QStringLiteral("outcome")).toString(), QStringLiteral("stopped"));
    EXPECT_EQ(summary.value(QStringLiteral("titles")).toArray().size(), 6);
    const QJsonObject titles = summary.value(QStringLiteral("tables")).toObject().value(QStringLiteral("Титул")).toObject();
    EXPECT_LT(titles.value(QStringLiteral("inserted")).toInt(), 6) << "the stop came during the first table";
    EXPECT_EQ(summary.value(QStringLiteral("total")).toObject().value(QStringLiteral("failed")).toInt(), 0);

    TSqliteInspector sourceDb(source), destDb(dest);
    EXPECT_EQ(destDb.ContentDump(), before);
    EXPECT_EQ(sourceDb.TablesWithGuidColumn(), QStringList());
    EXPECT_EQ(sourceDb.SectionLinkCount(), 0);
}
