#pragma once
// The stand-in for the Windows registry: two roots, the current user's and the local
// machine's. On Windows the registry itself; elsewhere (or when an environment variable names
// a file) one INI file per root through QSettings. Every value is a string.
//
//   ROAD_IMPORT_USER_REGISTRY     file of the current user's root
//                                 (default: <user configuration folder>/road-import/user-registry.ini)
//   ROAD_IMPORT_MACHINE_REGISTRY  file of the local machine's root
//                                 (default: <system configuration folder>/road-import/machine-registry.ini)

#include <QString>
#include <memory>

class QSettings;

enum class TRegistryRoot { CurrentUser, LocalMachine };

// The INI file that holds a root, or empty when the root is the native registry.
QString RegistryFileName(TRegistryRoot root);

// One key path (backslash-separated, "Software\Company\Product\Forms") under one root,
// opened on first use with full access and kept open until Close.
class TRegistryKey {
public:
    TRegistryKey(TRegistryRoot root, const QString& keyPath);
    ~TRegistryKey();
    TRegistryKey(const TRegistryKey&) = delete;
    TRegistryKey& operator=(const TRegistryKey&) = delete;

    TRegistryRoot Root() const { return RootKind; }
    const QString& KeyPath() const { return Path; }

    // Opens the key with full access. A key that cannot be written (a machine root for an
    // ordinary user) does not open; that is reported, not raised.
    bool Open();
    void Close();

    // Values of a subkey under the key. A key that does not open holds no values.
    bool ValueExists(const QString& subkey, const QString& name);
    // Raises "Неверный тип данных для "%s"" when the value is not a string.
    QString ReadString(const QString& subkey, const QString& name);
    // Raises "Ошибка создания ключа реестра "%s"" when the key does not open and
    // "Ошибка записи данных в ключ реестра "%s"" when the value does not reach the store.
    void WriteString(const QString& subkey, const QString& name, const QString& value);

private:
    QString ValueKey(const QString& subkey, const QString& name) const;

    TRegistryRoot RootKind;
    QString Path;
    std::unique_ptr<QSettings> Settings;
    bool Tried = false;
    bool Writable = false;
};
