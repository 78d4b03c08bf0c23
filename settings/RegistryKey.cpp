#include "settings/RegistryKey.h"

#include "support/Exception.h"

#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>

namespace {

QString EnvironmentFile(TRegistryRoot root) {
    return qEnvironmentVariable(root == TRegistryRoot::CurrentUser ? "ROAD_IMPORT_USER_REGISTRY"
                                                                   : "ROAD_IMPORT_MACHINE_REGISTRY");
}

// The system configuration folder of the XDG rules: the first of XDG_CONFIG_DIRS, else /etc/xdg.
QString SystemConfigFolder() {
    const QStringList dirs =
        qEnvironmentVariable("XDG_CONFIG_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return dirs.isEmpty() ? QStringLiteral("/etc/xdg") : dirs.first();
}

QString Quoted(const QString& name) { return QStringLiteral("\"") + name + QStringLiteral("\""); }

}  // namespace

QString RegistryFileName(TRegistryRoot root) {
    const QString relocated = EnvironmentFile(root);
    if (!relocated.isEmpty()) return relocated;
#ifdef Q_OS_WIN
    return QString();
#else
    if (root == TRegistryRoot::CurrentUser)
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
               QStringLiteral("/road-import/user-registry.ini");
    return SystemConfigFolder() + QStringLiteral("/road-import/machine-registry.ini");
#endif
}

TRegistryKey::TRegistryKey(TRegistryRoot root, const QString& keyPath) : RootKind(root), Path(keyPath) {}

TRegistryKey::~TRegistryKey() = default;

bool TRegistryKey::Open() {
    if (Tried) return Writable;
    Tried = true;
    const QString file = RegistryFileName(RootKind);
    if (file.isEmpty()) {
        // The native registry: the settings object is rooted at the key itself, so that its
        // write test is the registry's own test of full access to that key.
        const QString root = RootKind == TRegistryRoot::CurrentUser ? QStringLiteral("HKEY_CURRENT_USER\\")
                                                                    : QStringLiteral("HKEY_LOCAL_MACHINE\\");
        Settings = std::make_unique<QSettings>(root + Path, QSettings::NativeFormat);
    } else {
        Settings = std::make_unique<QSettings>(file, QSettings::IniFormat);
    }
    Writable = Settings->isWritable();
    return Writable;
}

void TRegistryKey::Close() {
    if (Settings) Settings->sync();
    Settings.reset();
    Tried = false;
    Writable = false;
}

QString TRegistryKey::ValueKey(const QString& subkey, const QString& name) const {
    QString key = subkey + QLatin1Char('/') + name;
    if (Settings->format() != QSettings::NativeFormat)
        key = QString(Path).replace(QLatin1Char('\\'), QLatin1Char('/')) + QLatin1Char('/') + key;
    return key;
}

bool TRegistryKey::ValueExists(const QString& subkey, const QString& name) {
    if (!Open()) return false;
    return Settings->contains(ValueKey(subkey, name));
}

QString TRegistryKey::ReadString(const QString& subkey, const QString& name) {
    if (!Open()) return QString();
    const QVariant value = Settings->value(ValueKey(subkey, name));
    if (value.typeId() == QMetaType::QString) return value.toString();
    // An INI line with a comma that is not in quotes (a hand-edited file) reads as a list.
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(QLatin1Char(','));
    throw Exception(QStringLiteral("Неверный тип данных для ") + Quoted(name));
}

void TRegistryKey::WriteString(const QString& subkey, const QString& name, const QString& value) {
    if (!Open())
        throw Exception(QStringLiteral("Ошибка создания ключа реестра ") + Quoted(Path + QLatin1Char('\\') + subkey));
    Settings->setValue(ValueKey(subkey, name), value);
    // Written through at once, so that a failure is told for the value that caused it and
    // another process sees the value as soon as it is written.
    Settings->sync();
    if (Settings->status() == QSettings::AccessError)
        throw Exception(QStringLiteral("Ошибка записи данных в ключ реестра ") + Quoted(name));
}
