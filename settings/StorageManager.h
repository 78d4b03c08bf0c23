#pragma once
// TStorageManager says where the settings of the storages live: the registry key path built
// from a company, a product, an optional version, plug-in name and section, and whether every
// value is mirrored under the local machine's root.

#include <QObject>
#include <QString>

class TStorageManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString ManagerName READ ManagerName WRITE SetManagerName)
    Q_PROPERTY(QString Company READ Company WRITE SetCompany)
    Q_PROPERTY(QString Product READ Product WRITE SetProduct)
    Q_PROPERTY(QString Version READ Version WRITE SetVersion)
    Q_PROPERTY(QString Plugin READ Plugin WRITE SetPlugin)
    Q_PROPERTY(QString Section READ Section WRITE SetSection)
    Q_PROPERTY(bool StoreToLocalMachine READ StoreToLocalMachine WRITE SetStoreToLocalMachine)

public:
    explicit TStorageManager(QObject* owner = nullptr);
    ~TStorageManager() override;

    const QString& ManagerName() const { return FManagerName; }
    const QString& Company() const { return FCompany; }
    const QString& Product() const { return FProduct; }
    const QString& Version() const { return FVersion; }
    const QString& Plugin() const { return FPlugin; }
    const QString& Section() const { return FSection; }
    bool StoreToLocalMachine() const { return FStoreToLocalMachine; }

    // Each setter raises the property's refusal and keeps the old value for a refused text.
    void SetManagerName(const QString& value);
    void SetCompany(const QString& value);
    void SetProduct(const QString& value);
    void SetVersion(const QString& value);
    void SetPlugin(const QString& value);
    void SetSection(const QString& value);
    void SetStoreToLocalMachine(bool value) { FStoreToLocalMachine = value; }

    // Whether a description of the manager carries the property: only when it differs from
    // its initial value.
    bool IsCompanyStored() const { return FCompany != DefaultCompany(); }
    bool IsProductStored() const { return FProduct != DefaultProduct(); }
    bool IsVersionStored() const { return !FVersion.isEmpty(); }
    bool IsPluginStored() const { return !FPlugin.isEmpty(); }
    bool IsSectionStored() const { return !FSection.isEmpty(); }

    // "Software\Company\Product\[Version\][Plug-ins\Plugin\][Section\]Forms"; the plug-in
    // and section take part only when withPlugin is set.
    QString KeyPath(bool withPlugin) const;

    static QString DefaultCompany() { return QStringLiteral("Company"); }
    static QString DefaultProduct() { return QStringLiteral("Product"); }
    // The key path of a storage that finds no manager.
    static QString FallbackKeyPath() { return QStringLiteral("Software\\Company\\Product\\Forms"); }

private:
    QString FManagerName;
    QString FCompany = DefaultCompany();
    QString FProduct = DefaultProduct();
    QString FVersion;
    QString FPlugin;
    QString FSection;
    bool FStoreToLocalMachine = false;
};

// The process-wide list of managers, oldest first.
const QList<TStorageManager*>& StorageManagers();
// The manager of that name in the process-wide list, or none.
TStorageManager* FindStorageManager(const QString& name);
