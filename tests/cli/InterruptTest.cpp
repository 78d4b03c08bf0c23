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

TEST(Interrupt, SigintDuringTheCopyRollsEverythingBackAndCleansUp) {
    TTestDir dir;
    const QString source = dir.Path(QStringLiteral("source.db"));
    const QString dest = dir.Path(QStringLiteral("dest.db"));
    // Long enough that the copy is still running when the signal arrives.
    MakeSampleSource(source, 6, 300, 5);
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
    EXPECT_EQ(summary.value(QStringLiteral("total")).toObject().value(QStringLiteral("failed")).toInt(), 0);

    TSqliteInspector sourceDb(source), destDb(dest);
    EXPECT_EQ(destDb.ContentDump(), before);
    EXPECT_EQ(sourceDb.TablesWithGuidColumn(), QStringList());
    EXPECT_EQ(sourceDb.SectionLinkCount(), 0);
}
