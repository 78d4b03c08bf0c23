// The wizard window's saved settings: StorageManager1 says where they live, Storage1 restores
// the placement and both frames when the window is shown and saves them when it is closed;
// Storage1Save and Storage1Restore carry the frames' fields (never a password).

#include "app/DBConnectFrame.h"
#include "app/PathraImportForm.h"
#include "settings/Storage.h"
#include "settings/StorageManager.h"
#include "settings/WizardSettings.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

namespace {

// A frame's fields as the saved settings see them, through the frame's named controls.
class TFrameSettingsFields : public TSavedFrameFields {
public:
    explicit TFrameSettingsFields(TDBConnectFrame& frame) : Frame(frame) {}

    QString ServerName() const override { return Frame.ServerNameEdit->text(); }
    void SetServerName(const QString& value) override { Frame.ServerNameEdit->setText(value); }
    QString DBName() const override { return Frame.DBNameEdit->text(); }
    void SetDBName(const QString& value) override { Frame.DBNameEdit->setText(value); }
    QString UserName() const override { return Control<QLineEdit>("UserNameEdit")->text(); }
    void SetUserName(const QString& value) override { Control<QLineEdit>("UserNameEdit")->setText(value); }
    bool NTAuthorization() const override { return Frame.NTAuthorizationButton->isChecked(); }
    bool SQLAuthorization() const override { return Frame.SQLAuthorizationButton->isChecked(); }
    void SetNTAuthorization(bool selected) override { SetChoice(Frame.NTAuthorizationButton, selected); }
    void SetSQLAuthorization(bool selected) override { SetChoice(Frame.SQLAuthorizationButton, selected); }
    int Timeout() const override { return Frame.TimeoutValue(); }
    void SetTimeout(int seconds) override { Control<QSpinBox>("TimeoutEdit")->setValue(seconds); }

    QString Provider() const override {
        return Control<QRadioButton>("MSSQLServerButton")->isChecked() ? QString()
                                                                        : Control<QLineEdit>("OLEDBDriverEdit")->text();
    }

    // As the data-link dialog's answer is read: the driver text first, then the server type it
    // names (a newly selected SQL Server or PostgreSQL type rewrites the driver text).
    void SetProvider(const QString& provider) override {
        if (!provider.isEmpty()) Control<QLineEdit>("OLEDBDriverEdit")->setText(provider);
        const char* type = provider.isEmpty() || PatternFound(QStringLiteral("SQLOLEDB"), provider)
                               ? "MSSQLServerButton"
                           : PatternFound(QStringLiteral("PostgreSQL"), provider) ? "PostgreSQLButton"
                                                                                   : "OtherSQLServerButton";
        Control<QRadioButton>(type)->setChecked(true);
    }

private:
    template <class T>
    T* Control(const char* name) const {
        return Frame.findChild<T*>(QString::fromLatin1(name));
    }

    // Selecting clears the partner and runs the click handler (the frame hears the toggle);
    // clearing leaves the partner alone, which an exclusive pair allows only from code.
    static void SetChoice(QRadioButton* button, bool selected) {
        if (selected) {
            button->setChecked(true);
            return;
        }
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }

    TDBConnectFrame& Frame;
};

}  // namespace

void TPathraImportForm::CreateStorage() {
    StorageManager1 = new TStorageManager(this);
    StorageManager1->setObjectName(QStringLiteral("StorageManager1"));
    StorageManager1->SetManagerName(QStringLiteral("StorageManager1"));
    StorageManager1->SetCompany(QStringLiteral("OrvaneSoft"));
    StorageManager1->SetProduct(QStringLiteral("OrvaneInfo(Road)"));
    StorageManager1->SetVersion(QStringLiteral("3.0"));
    StorageManager1->SetStoreToLocalMachine(true);
    Storage1 = new TStorage(this);
    Storage1->setObjectName(QStringLiteral("Storage1"));
    Storage1->OnSave = [this](TStorage* sender) { Storage1Save(sender); };
    Storage1->OnRestore = [this](TStorage* sender) { Storage1Restore(sender); };
}

void TPathraImportForm::Storage1Save(TStorage*) {
    const TFrameSettingsFields source(*DBConnectFrame1);
    const TFrameSettingsFields dest(*DBConnectFrame2);
    SaveWizardSettings(*Storage1, source, dest);
}

void TPathraImportForm::Storage1Restore(TStorage*) {
    TFrameSettingsFields source(*DBConnectFrame1);
    TFrameSettingsFields dest(*DBConnectFrame2);
    RestoreWizardSettings(*Storage1, source, dest);
}
