#include "SettingsTestSupport.h"

#include <QFile>
#include <QSettings>

namespace {
const char* const UserVariable = "ROAD_IMPORT_USER_REGISTRY";
const char* const MachineVariable = "ROAD_IMPORT_MACHINE_REGISTRY";
}  // namespace

TRegistryFiles::TRegistryFiles() : OldUser(qgetenv(UserVariable)), OldMachine(qgetenv(MachineVariable)) {
    qputenv(UserVariable, UserFile().toLocal8Bit());
    qputenv(MachineVariable, MachineFile().toLocal8Bit());
}

TRegistryFiles::~TRegistryFiles() {
    qputenv(UserVariable, OldUser);
    qputenv(MachineVariable, OldMachine);
}

QString TRegistryFiles::UserFile() const { return Dir.filePath(QStringLiteral("user.ini")); }

QString TRegistryFiles::MachineFile() const { return Dir.filePath(QStringLiteral("machine.ini")); }

// A folder that is an ordinary file cannot hold a settings file, not even for the superuser.
void TRegistryFiles::MakeMachineUnwritable() {
    QFile blocker(Dir.filePath(QStringLiteral("blocker")));
    blocker.open(QIODevice::WriteOnly);
    qputenv(MachineVariable, Dir.filePath(QStringLiteral("blocker/machine.ini")).toLocal8Bit());
}

void TRegistryFiles::MakeUserUnwritable() {
    QFile blocker(Dir.filePath(QStringLiteral("blocker")));
    blocker.open(QIODevice::WriteOnly);
    qputenv(UserVariable, Dir.filePath(QStringLiteral("blocker/user.ini")).toLocal8Bit());
}

QString TRegistryFiles::Value(const QString& file, const QString& keyPath, const QString& subkey,
                              const QString& name) {
    QSettings settings(file, QSettings::IniFormat);
    const QString key = keyPath + QLatin1Char('/') + subkey + QLatin1Char('/') + name;
    return settings.contains(key) ? settings.value(key).toString() : QString();
}

void TRegistryFiles::SetValue(const QString& file, const QString& keyPath, const QString& subkey,
                              const QString& name, const QString& text) {
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(keyPath + QLatin1Char('/') + subkey + QLatin1Char('/') + name, text);
}

QByteArray TRegistryFiles::Text(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
