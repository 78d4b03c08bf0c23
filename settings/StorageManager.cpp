#include "settings/StorageManager.h"

#include "settings/StorageRegistry.h"
#include "support/Exception.h"

namespace {

const QChar Backslash = QLatin1Char('\\');

// The managers that share an owner (the parentless ones share "no owner").
QList<TStorageManager*> Siblings(const QObject* owner, const TStorageManager* except) {
    QList<TStorageManager*> result;
    for (TStorageManager* manager : StorageRegistry::Managers())
        if (manager != except && manager->parent() == owner) result.append(manager);
    return result;
}

bool NameUsedBySibling(const QObject* owner, const TStorageManager* except, const QString& name) {
    for (const TStorageManager* manager : Siblings(owner, except))
        if (manager->ManagerName() == name) return true;
    return false;
}

// "%s" in a refusal replaced by the refused value; the parts of a refusal are separated by CR.
[[noreturn]] void Refuse(const QString& format, const QString& value) {
    throw Exception(QString(format).replace(QStringLiteral("%s"), value));
}

void CheckNoBackslash(const QString& value, const QString& format) {
    if (value.contains(Backslash)) Refuse(format, value);
}

const QString CompanyRefusal = QStringLiteral(
    "Недопустимый название компании \"%s\"\r(название не должно включать символ \"\\\")");
const QString ProductRefusal = QStringLiteral(
    "Недопустимый название продукта \"%s\"\r(название не должно включать символ \"\\\")");
const QString VersionRefusal = QStringLiteral(
    "Недопустимая версия продукта \"%s\"\r(версия не должна включать символ \"\\\")");
const QString PluginRefusal = QStringLiteral(
    "Недопустимое имя встраиваемого модуля \"%s\"\r(имя не должно включать символ \"\\\")");
const QString SectionRefusal = QStringLiteral(
    "Недопустимая секция в реестре \"%s\"\r(секция не должно включать символ \"\\\" вначале и\r"
    "в конце строки, а также двойных символов \"\\\\\")");

}  // namespace

TStorageManager::TStorageManager(QObject* owner) : QObject(owner) {
    int number = 1;
    while (NameUsedBySibling(owner, this, QStringLiteral("StorageManager") + QString::number(number))) ++number;
    FManagerName = QStringLiteral("StorageManager") + QString::number(number);
    StorageRegistry::AddManager(this);
}

TStorageManager::~TStorageManager() { StorageRegistry::RemoveManager(this); }

void TStorageManager::SetManagerName(const QString& value) {
    if (value == FManagerName) return;
    if (value.isEmpty()) throw Exception(QStringLiteral("Менеджер хранилищ не может иметь пустое имя"));
    if (NameUsedBySibling(parent(), this, value))
        Refuse(QStringLiteral("Имя менеджера хранилищ \"%s\" уже используется"), value);
    FManagerName = value;
}

void TStorageManager::SetCompany(const QString& value) {
    if (value.isEmpty()) Refuse(CompanyRefusal, value);
    CheckNoBackslash(value, CompanyRefusal);
    FCompany = value;
}

void TStorageManager::SetProduct(const QString& value) {
    if (value.isEmpty()) Refuse(ProductRefusal, value);
    CheckNoBackslash(value, ProductRefusal);
    FProduct = value;
}

void TStorageManager::SetVersion(const QString& value) {
    CheckNoBackslash(value, VersionRefusal);
    FVersion = value;
}

void TStorageManager::SetPlugin(const QString& value) {
    CheckNoBackslash(value, PluginRefusal);
    FPlugin = value;
}

void TStorageManager::SetSection(const QString& value) {
    if (!value.isEmpty() && (value.startsWith(Backslash) || value.endsWith(Backslash) ||
                             value.contains(QStringLiteral("\\\\"))))
        Refuse(SectionRefusal, value);
    FSection = value;
}

QString TStorageManager::KeyPath(bool withPlugin) const {
    QString path = QStringLiteral("Software\\") + FCompany + Backslash + FProduct + Backslash;
    if (!FVersion.isEmpty()) path += FVersion + Backslash;
    if (withPlugin) {
        if (!FPlugin.isEmpty()) path += QStringLiteral("Plug-ins\\") + FPlugin + Backslash;
        if (!FSection.isEmpty()) path += FSection + Backslash;
    }
    return path + QStringLiteral("Forms");
}

const QList<TStorageManager*>& StorageManagers() { return StorageRegistry::Managers(); }

TStorageManager* FindStorageManager(const QString& name) {
    for (TStorageManager* manager : StorageRegistry::Managers())
        if (manager->ManagerName() == name) return manager;
    return nullptr;
}
