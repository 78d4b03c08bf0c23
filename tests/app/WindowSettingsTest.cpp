// The wizard window's saved settings on the real window: closing and reopening keeps both
// frames (a SQLite file included) and the placement, never a password; stored values are
// brought into range and the authentication choices act as clicks. Every test of this program
// starts with settings files of its own, so that no window sees what another test saved.

#include "WizardTestSupport.h"

#include "app/DBConnectFrame.h"

#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <memory>

namespace {

class TFreshSettingsFiles : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        Dir = std::make_unique<QTemporaryDir>();
        qputenv("ROAD_IMPORT_USER_REGISTRY", Dir->filePath(QStringLiteral("user.ini")).toLocal8Bit());
        qputenv("ROAD_IMPORT_MACHINE_REGISTRY", Dir->filePath(QStringLiteral("machine.ini")).toLocal8Bit());
    }
    std::unique_ptr<QTemporaryDir> Dir;
};

const bool FreshSettingsFilesForEveryTest = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new TFreshSettingsFiles);
    return true;
}();

const QString FormKey = QStringLiteral("Software/OrvaneSoft/OrvaneInfo(Road)/3.0/Forms/TPathraImportForm/");

QString SettingsFile(const char* variable) { return qEnvironmentVariable(variable); }

void Store(const QString& name, const QString& text) {
    QSettings(SettingsFile("ROAD_IMPORT_USER_REGISTRY"), QSettings::IniFormat).setValue(FormKey + name, text);
}

template <class T>
T* FrameControl(TDBConnectFrame* frame, const char* name) {
    return frame->findChild<T*>(QString::fromLatin1(name));
}

class WindowSettingsTest : public WizardTest {
protected:
    void Reopen() {
        Form.reset();
        Form = std::make_unique<TPathraImportForm>(*Module, Dialogs);
        Form->show();
    }
};

}  // namespace

TEST_F(WindowSettingsTest, CloseAndReopenKeepBothFramesAndThePlacementButNoPassword) {
    // The first run: the designed fields, Windows authentication in both frames.
    for (TDBConnectFrame* frame : {Form->DBConnectFrame1, Form->DBConnectFrame2}) {
        EXPECT_EQ(frame->BuildConnectionString(1), "Provider=SQLOLEDB.1;Integrated Security=SSPI");
        EXPECT_EQ(frame->TimeoutValue(), 30);
    }
    FillFrame(1, QStringLiteral("Provider=SQLOLEDB.1;Data Source=A;Initial Catalog=D;User ID=U;Password=secret-source"));
    const QString destFile = Dir.Path(QStringLiteral("dest.db"));
    FillFrame(2, SqliteConnectionString(destFile));
    FrameControl<QLineEdit>(Form->DBConnectFrame2, "PasswordEdit")->setText(QStringLiteral("secret-dest"));
    FrameControl<QSpinBox>(Form->DBConnectFrame2, "TimeoutEdit")->setValue(120);
    Form->setGeometry(60, 70, 700, 500);
    const QString destString = Form->DBConnectFrame2->BuildConnectionString(1);
    Press("Button1");
    ASSERT_FALSE(Form->isVisible());

    for (const char* variable : {"ROAD_IMPORT_USER_REGISTRY", "ROAD_IMPORT_MACHINE_REGISTRY"}) {
        QSettings file(SettingsFile(variable), QSettings::IniFormat);
        EXPECT_EQ(file.value(FormKey + "ServerNameEdit").toString(), "A") << variable;
        EXPECT_EQ(file.value(FormKey + "DBNameEdit1").toString(), destFile);
        EXPECT_EQ(file.value(FormKey + "OLEDBDriverEdit").toString(), "");
        EXPECT_EQ(file.value(FormKey + "OLEDBDriverEdit1").toString(), "SQLite");
        EXPECT_EQ(file.value(FormKey + "NormPos").toString(), "60,70,760,570");
        QFile raw(SettingsFile(variable));
        ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
        EXPECT_FALSE(raw.readAll().contains("secret"));
    }

    Reopen();
    EXPECT_EQ(Form->DBConnectFrame1->BuildConnectionString(1),
              "Provider=SQLOLEDB.1;Data Source=A;Initial Catalog=D;Persist Security Info=True;User ID=U;Password=");
    EXPECT_TRUE(FrameControl<QLineEdit>(Form->DBConnectFrame1, "UserNameEdit")->isEnabled());
    EXPECT_EQ(Form->DBConnectFrame2->BuildConnectionString(1), destString);
    EXPECT_EQ(FrameControl<QLineEdit>(Form->DBConnectFrame2, "PasswordEdit")->text(), "");
    EXPECT_EQ(Form->DBConnectFrame1->TimeoutValue(), 30);
    EXPECT_EQ(Form->DBConnectFrame2->TimeoutValue(), 120);
    EXPECT_EQ(Form->geometry(), QRect(60, 70, 700, 500));
    EXPECT_TRUE(Dialogs.Errors().isEmpty());
}

TEST_F(WindowSettingsTest, StoredValuesAreBroughtIntoRangeAndChoicesActAsClicks) {
    Store("OLEDBDriverEdit", "PostgreSQL OLE DB Provider");
    Store("TimeOut", "5000");
    Store("TimeOut1", "10");
    Store("NTAuthorizationButton", "0");
    Store("SQLAuthorizationButton", "1");
    Store("NTAuthorizationButton1", "0");
    Store("SQLAuthorizationButton1", "0");
    Reopen();
    EXPECT_TRUE(Form->DBConnectFrame1->BuildConnectionString(1).startsWith("Provider=PostgreSQL OLE DB Provider"));
    EXPECT_EQ(Form->DBConnectFrame1->TimeoutValue(), 3600);
    EXPECT_EQ(Form->DBConnectFrame2->TimeoutValue(), 30);
    EXPECT_TRUE(Form->DBConnectFrame1->SQLAuthorizationButton->isChecked());
    EXPECT_TRUE(FrameControl<QLineEdit>(Form->DBConnectFrame1, "UserNameEdit")->isEnabled())
        << "the server authentication, selected after neither was, enables the user name";
    EXPECT_FALSE(Form->DBConnectFrame2->NTAuthorizationButton->isChecked());
    EXPECT_FALSE(Form->DBConnectFrame2->SQLAuthorizationButton->isChecked());
    EXPECT_FALSE(FrameControl<QLineEdit>(Form->DBConnectFrame2, "UserNameEdit")->isEnabled());
}
