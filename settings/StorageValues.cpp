// The storage's typed values: each read takes the machine's value as the default of the
// user's read; each write goes to the user's root and, when the manager asks, to the machine's.

#include "settings/Storage.h"

#include "settings/StorageManager.h"
#include "support/Exception.h"

namespace {

// A stored text that is a whole number.
bool ParseInteger(const QString& text, int& value) {
    bool ok = false;
    const int number = text.trimmed().toInt(&ok, 10);
    if (ok) value = number;
    return ok;
}

}  // namespace

TRegistryKey& TStorage::Key(std::unique_ptr<TRegistryKey>& key, TRegistryRoot root) {
    const QString path = KeyPath();
    if (!key || key->KeyPath() != path) key = std::make_unique<TRegistryKey>(root, path);
    return *key;
}

void TStorage::CloseKeys() {
    if (UserKey) UserKey->Close();
    if (MachineKey) MachineKey->Close();
    UserKey.reset();
    MachineKey.reset();
}

bool TStorage::WritesToMachine() const {
    const TStorageManager* manager = Manager();
    return manager && manager->StoreToLocalMachine();
}

QString TStorage::ReadString(const QString& name, const QString& defaultValue) {
    return ReadString(SubkeyName(), name, defaultValue);
}

QString TStorage::ReadString(const QString& section, const QString& name, const QString& defaultValue) {
    // The machine's value, read first, is the default of the user's read.
    QString value = defaultValue;
    TRegistryKey& machine = Key(MachineKey, TRegistryRoot::LocalMachine);
    try {
        if (machine.ValueExists(section, name)) value = machine.ReadString(section, name);
    } catch (const Exception&) {
        // The machine's root only ever supplies defaults.
    }
    TRegistryKey& user = Key(UserKey, TRegistryRoot::CurrentUser);
    if (user.ValueExists(section, name)) value = user.ReadString(section, name);
    return value;
}

int TStorage::ReadInteger(const QString& name, int defaultValue) {
    return ReadInteger(SubkeyName(), name, defaultValue);
}

int TStorage::ReadInteger(const QString& section, const QString& name, int defaultValue) {
    int value = defaultValue;
    TRegistryKey& machine = Key(MachineKey, TRegistryRoot::LocalMachine);
    try {
        if (machine.ValueExists(section, name)) ParseInteger(machine.ReadString(section, name), value);
    } catch (const Exception&) {
    }
    TRegistryKey& user = Key(UserKey, TRegistryRoot::CurrentUser);
    if (user.ValueExists(section, name)) ParseInteger(user.ReadString(section, name), value);
    return value;
}

bool TStorage::ReadBool(const QString& name, bool defaultValue) { return ReadBool(SubkeyName(), name, defaultValue); }

bool TStorage::ReadBool(const QString& section, const QString& name, bool defaultValue) {
    return ReadInteger(section, name, defaultValue ? 1 : 0) != 0;
}

void TStorage::WriteString(const QString& name, const QString& value) { WriteString(SubkeyName(), name, value); }

void TStorage::WriteString(const QString& section, const QString& name, const QString& value) {
    Key(UserKey, TRegistryRoot::CurrentUser).WriteString(section, name, value);
    if (!WritesToMachine()) return;
    try {
        Key(MachineKey, TRegistryRoot::LocalMachine).WriteString(section, name, value);
    } catch (const Exception&) {
        // Without the right to write the machine's root the user's value is enough.
    }
}

void TStorage::WriteInteger(const QString& name, int value) { WriteString(name, QString::number(value)); }

void TStorage::WriteInteger(const QString& section, const QString& name, int value) {
    WriteString(section, name, QString::number(value));
}

void TStorage::WriteBool(const QString& name, bool value) { WriteInteger(name, value ? 1 : 0); }

void TStorage::WriteBool(const QString& section, const QString& name, bool value) {
    WriteInteger(section, name, value ? 1 : 0);
}

