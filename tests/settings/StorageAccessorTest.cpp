// The storage's typed values under both roots: the read order, what counts as absent, where
// writes go, the failures of each root, and the files as they are written.

#include "SettingsTestSupport.h"
#include "settings/Storage.h"
#include "settings/StorageManager.h"
#include "support/Exception.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const QString Path = QStringLiteral("Software/OrvaneSoft/OrvaneInfo(Road)/3.0/Forms");
const QString Universal = QStringLiteral("TUniversalForm");

class StorageValues : public ::testing::Test {
protected:
    StorageValues() {
        Manager.SetCompany("OrvaneSoft");
        Manager.SetProduct("OrvaneInfo(Road)");
        Manager.SetVersion("3.0");
    }
    void User(const QString& name, const QString& text) { TRegistryFiles::SetValue(Files.UserFile(), Path, Universal, name, text); }
    void Machine(const QString& name, const QString& text) {
        TRegistryFiles::SetValue(Files.MachineFile(), Path, Universal, name, text);
    }

    TRegistryFiles Files;
    QObject Owner;  // not a window: its values live under "TUniversalForm"
    TStorageManager Manager{&Owner};
    TStorage Storage{&Owner};
};

}  // namespace

TEST_F(StorageValues, ReadTakesTheUsersValueThenTheMachinesThenTheDefault) {
    EXPECT_EQ(Storage.ReadString("S", "default"), "default");
    EXPECT_EQ(Storage.ReadInteger("I", 7), 7);
    EXPECT_TRUE(Storage.ReadBool("B", true));

    Machine("S", "machine");
    Machine("I", "12");
    Machine("B", "0");
    EXPECT_EQ(Storage.ReadString("S", "default"), "machine");
    EXPECT_EQ(Storage.ReadInteger("I", 7), 12);
    EXPECT_FALSE(Storage.ReadBool("B", true));

    User("S", "");  // an empty text is a value
    User("I", "not a number");
    User("B", "5");
    EXPECT_EQ(Storage.ReadString("S", "default"), "");
    EXPECT_EQ(Storage.ReadInteger("I", 7), 12) << "a non-number counts as absent";
    EXPECT_TRUE(Storage.ReadBool("B", false)) << "a non-zero integer is true";

    Machine("I", "x");
    EXPECT_EQ(Storage.ReadInteger("I", 7), 7);
    EXPECT_EQ(Storage.ReadString("Other", "S", "d"), "d") << "another subkey holds nothing";
}

TEST_F(StorageValues, WritesGoToTheUserAndToTheMachineOnlyWhenAsked) {
    Storage.WriteString("S", "text");
    Storage.WriteInteger("I", -42);
    Storage.WriteBool("B", true);
    EXPECT_EQ(TRegistryFiles::Value(Files.UserFile(), Path, Universal, "I"), "-42");
    EXPECT_EQ(TRegistryFiles::Value(Files.UserFile(), Path, Universal, "B"), "1");
    EXPECT_FALSE(QFile::exists(Files.MachineFile()));

    Manager.SetStoreToLocalMachine(true);
    Storage.WriteBool("B", false);
    Storage.WriteString("Section2", "S", "elsewhere");
    EXPECT_EQ(TRegistryFiles::Value(Files.MachineFile(), Path, Universal, "B"), "0");
    EXPECT_EQ(TRegistryFiles::Value(Files.MachineFile(), Path, "Section2", "S"), "elsewhere");
    EXPECT_EQ(TRegistryFiles::Value(Files.UserFile(), Path, "Section2", "S"), "elsewhere");
}

TEST_F(StorageValues, AMachineRootThatCannotBeWrittenFailsSilently) {
    Files.MakeMachineUnwritable();
    Manager.SetStoreToLocalMachine(true);
    EXPECT_NO_THROW(Storage.WriteString("S", "user only"));
    EXPECT_EQ(Storage.ReadString("S", "d"), "user only");
    EXPECT_EQ(TRegistryFiles::Value(Files.UserFile(), Path, Universal, "S"), "user only");
}

TEST_F(StorageValues, UserRootFailuresRaiseTheirMessages) {
    User("Binary", "x");
    {
        QFile file(Files.UserFile());
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("OrvaneSoft\\OrvaneInfo%28Road%29\\3.0\\Forms\\TUniversalForm\\Binary2=@ByteArray(abc)\n");
    }
    try {
        Storage.ReadString("Binary2", "");
        ADD_FAILURE() << "a value that is not a string was read";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "Неверный тип данных для \"Binary2\"");
    }
    Files.MakeUserUnwritable();
    TStorage fresh(&Owner);
    try {
        fresh.WriteString("S", "x");
        ADD_FAILURE() << "a write to a root that cannot be written passed";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(),
                  "Ошибка создания ключа реестра \"Software\\OrvaneSoft\\OrvaneInfo(Road)\\3.0\\Forms\\TUniversalForm\"");
    }
    EXPECT_EQ(fresh.ReadString("S", "d"), "d");
}

TEST_F(StorageValues, TheFileHoldsTheKeyPathSubkeyAndPlainTexts) {
    Storage.WriteString("NormPos", "10,20,300,400");
    Storage.WriteString("Name", "Дороги; \"A\", B");
    const QByteArray text = TRegistryFiles::Text(Files.UserFile());
    EXPECT_TRUE(text.contains("OrvaneSoft\\OrvaneInfo%28Road%29\\3.0\\Forms\\TUniversalForm\\NormPos=\"10,20,300,400\""))
        << text.constData();
    // Read back by an independent reader of the format.
    EXPECT_EQ(TRegistryFiles::Value(Files.UserFile(), Path, Universal, "Name"), "Дороги; \"A\", B");
    EXPECT_EQ(Storage.ReadString("Name", ""), "Дороги; \"A\", B");
}
