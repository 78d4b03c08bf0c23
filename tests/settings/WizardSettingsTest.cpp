// The wizard's saved connection values over two frames: a round trip through
// close and reopen with the files checked, time-out bounds, the fallbacks, the authentication
// pairs, values found only under the machine's root, and the provider of a non-SQL-Server frame.

#include "SettingsTestSupport.h"
#include "settings/Storage.h"
#include "settings/StorageManager.h"
#include "settings/WizardSettings.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A frame as the wizard designs it: Windows authentication chosen, a time-out of 30.
struct TFields : TSavedFrameFields {
    QString Server, Database, User, Password, ProviderText;
    bool NT = true, SQL = false;
    int Seconds = 30;
    int AuthClicks = 0;

    QString ServerName() const override { return Server; }
    void SetServerName(const QString& v) override { Server = v; }
    QString DBName() const override { return Database; }
    void SetDBName(const QString& v) override { Database = v; }
    QString UserName() const override { return User; }
    void SetUserName(const QString& v) override { User = v; }
    bool NTAuthorization() const override { return NT; }
    bool SQLAuthorization() const override { return SQL; }
    void SetNTAuthorization(bool selected) override { Select(NT, SQL, selected); }
    void SetSQLAuthorization(bool selected) override { Select(SQL, NT, selected); }
    int Timeout() const override { return Seconds; }
    void SetTimeout(int v) override { Seconds = v; }
    QString Provider() const override { return ProviderText; }
    void SetProvider(const QString& v) override { ProviderText = v; }

    void Select(bool& choice, bool& partner, bool selected) {
        if (selected && !choice) ++AuthClicks;
        choice = selected;
        if (selected) partner = false;
    }
};

}  // namespace

class TPathraImportForm : public QWidget {
    Q_OBJECT
public:
    TPathraImportForm() {
        StorageManager1 = new TStorageManager(this);
        StorageManager1->SetManagerName("StorageManager1");
        StorageManager1->SetCompany("OrvaneSoft");
        StorageManager1->SetProduct("OrvaneInfo(Road)");
        StorageManager1->SetVersion("3.0");
        StorageManager1->SetStoreToLocalMachine(true);
        Storage1 = new TStorage(this);
        Storage1->OnSave = [this](TStorage*) { SaveWizardSettings(*Storage1, Source, Dest); };
        Storage1->OnRestore = [this](TStorage*) { RestoreWizardSettings(*Storage1, Source, Dest); };
    }
    TStorageManager* StorageManager1;
    TStorage* Storage1;
    TFields Source, Dest;
};

namespace {

const QString Path = QStringLiteral("Software/OrvaneSoft/OrvaneInfo(Road)/3.0/Forms");
const QString Subkey = QStringLiteral("TPathraImportForm");

class WizardSettings : public ::testing::Test {
protected:
    void User(const QString& name, const QString& text) { TRegistryFiles::SetValue(Files.UserFile(), Path, Subkey, name, text); }
    void Machine(const QString& name, const QString& text) {
        TRegistryFiles::SetValue(Files.MachineFile(), Path, Subkey, name, text);
    }
    TRegistryFiles Files;
};

}  // namespace

TEST_F(WizardSettings, ARoundTripKeepsBothFramesAndNeverAPassword) {
    {
        TPathraImportForm form;
        form.show();
        form.Source.Server = "A";
        form.Source.Database = "D";
        form.Source.SetSQLAuthorization(true);
        form.Source.User = "U";
        form.Source.Password = "secret-source";
        form.Source.Seconds = 5000;  // not clamped on saving
        form.Dest.Server = "B";
        form.Dest.Database = "/data/dest.db";
        form.Dest.ProviderText = "SQLite";
        form.Dest.Password = "secret-dest";
        form.close();
    }
    const QStringList names = {"ServerNameEdit", "ServerNameEdit1", "DBNameEdit", "DBNameEdit1", "UserNameEdit",
                               "UserNameEdit1", "NTAuthorizationButton", "SQLAuthorizationButton",
                               "NTAuthorizationButton1", "SQLAuthorizationButton1", "TimeOut", "TimeOut1",
                               "OLEDBDriverEdit", "OLEDBDriverEdit1"};
    const QStringList texts = {"A", "B", "D", "/data/dest.db", "U", "", "0", "1", "1", "0", "5000", "30", "", "SQLite"};
    for (const QString& file : {Files.UserFile(), Files.MachineFile()}) {
        for (int i = 0; i < names.size(); ++i)
            EXPECT_EQ(TRegistryFiles::Value(file, Path, Subkey, names[i]), texts[i]) << names[i].toStdString();
        EXPECT_FALSE(TRegistryFiles::Value(file, Path, Subkey, "NormPos").isNull());
        const QByteArray text = TRegistryFiles::Text(file);
        EXPECT_FALSE(text.contains("secret")) << text.constData();
        EXPECT_TRUE(text.contains("[Software]\nOrvaneSoft\\OrvaneInfo%28Road%29\\3.0\\Forms\\TPathraImportForm\\"));
    }

    TPathraImportForm reopened;
    reopened.show();
    EXPECT_EQ(reopened.Source.Server, "A");
    EXPECT_EQ(reopened.Source.Database, "D");
    EXPECT_EQ(reopened.Source.User, "U");
    EXPECT_FALSE(reopened.Source.NT);
    EXPECT_TRUE(reopened.Source.SQL);
    EXPECT_EQ(reopened.Source.AuthClicks, 1) << "a choice that becomes selected acts as its click";
    EXPECT_EQ(reopened.Source.Seconds, 3600) << "brought to the nearer bound on restore";
    EXPECT_EQ(reopened.Source.Password, "");
    EXPECT_EQ(reopened.Dest.Server, "B");
    EXPECT_EQ(reopened.Dest.Database, "/data/dest.db");
    EXPECT_EQ(reopened.Dest.ProviderText, "SQLite");
    EXPECT_TRUE(reopened.Dest.NT);
    EXPECT_EQ(reopened.Dest.Password, "");
}

TEST_F(WizardSettings, FallbacksBoundsAndAuthenticationPairs) {
    User("DBNameEdit", "Roads");
    User("TimeOut", "10");
    User("NTAuthorizationButton", "1");
    User("SQLAuthorizationButton", "1");
    User("NTAuthorizationButton1", "0");
    User("SQLAuthorizationButton1", "0");
    TPathraImportForm form;
    form.Dest.Database = "designed";
    form.show();
    EXPECT_EQ(form.Dest.Database, "Roads") << "the destination falls back on the restored source";
    EXPECT_EQ(form.Source.Seconds, 30);
    EXPECT_EQ(form.Dest.Seconds, 30) << "the destination falls back on the restored source time-out";
    EXPECT_FALSE(form.Source.NT);
    EXPECT_TRUE(form.Source.SQL) << "restored last, the server authentication wins";
    EXPECT_FALSE(form.Dest.NT);
    EXPECT_FALSE(form.Dest.SQL) << "both stored as 0: neither chosen";
}

TEST_F(WizardSettings, MachineValuesServeAUserWithoutAnyAndBadNumbersCountAsAbsent) {
    Machine("ServerNameEdit", "shared-server");
    Machine("TimeOut", "120");
    Machine("TimeOut1", "7000");
    User("TimeOut", "soon");
    TPathraImportForm form;
    form.show();
    EXPECT_EQ(form.Source.Server, "shared-server");
    EXPECT_EQ(form.Source.Seconds, 120) << "a user text that is no number leaves the machine's value";
    EXPECT_EQ(form.Dest.Seconds, 3600);
}

#include "WizardSettingsTest.moc"
