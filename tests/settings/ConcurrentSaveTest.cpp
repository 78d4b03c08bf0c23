// Two processes saving at once leave one whole, readable file that holds what both wrote.

#include "SettingsTestSupport.h"
#include "settings/Storage.h"
#include "settings/StorageManager.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSettings>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {
constexpr int ValuesPerWriter = 40;
}

int RunWriterProcess(const QString& id) {
    QObject owner;
    TStorageManager manager(&owner);
    manager.SetStoreToLocalMachine(true);
    TStorage storage(&owner);
    for (int i = 0; i < ValuesPerWriter; ++i)
        storage.WriteString(QStringLiteral("Writer%1_%2").arg(id).arg(i), QStringLiteral("value %1").arg(i));
    return 0;
}

TEST(ConcurrentSaves, LeaveAWholeFileWithEveryValue) {
    TRegistryFiles files;
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int w = 0; w < 3; ++w) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("ROAD_IMPORT_SETTINGS_TEST_WRITER", QString::number(w));
        process->setProcessEnvironment(environment);
        process->start(QCoreApplication::applicationFilePath(), {});
        writers.push_back(std::move(process));
    }
    for (auto& process : writers) {
        ASSERT_TRUE(process->waitForFinished(60000));
        EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().constData();
    }
    for (const QString& file : {files.UserFile(), files.MachineFile()}) {
        QSettings settings(file, QSettings::IniFormat);
        EXPECT_EQ(settings.status(), QSettings::NoError);
        for (int w = 0; w < 3; ++w)
            for (int i = 0; i < ValuesPerWriter; ++i)
                EXPECT_EQ(TRegistryFiles::Value(file, "Software/Company/Product/Forms", "TUniversalForm",
                                                QStringLiteral("Writer%1_%2").arg(w).arg(i)),
                          QStringLiteral("value %1").arg(i));
    }
}
