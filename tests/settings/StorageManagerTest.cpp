// The storage manager: initial names, the checks of its properties with their messages, the
// key path, and how a storage finds its manager.

#include "SettingsTestSupport.h"
#include "settings/Storage.h"
#include "settings/StorageManager.h"
#include "support/Exception.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <functional>
#include <memory>

namespace {

QString Refusal(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.message();
    }
    return QString();
}

}  // namespace

TEST(StorageManager, NamesItselfWithTheSmallestFreeNumberOfItsOwner) {
    QObject owner, other;
    auto* first = new TStorageManager(&owner);
    auto* second = new TStorageManager(&owner);
    TStorageManager elsewhere(&other);
    EXPECT_EQ(first->ManagerName(), "StorageManager1");
    EXPECT_EQ(second->ManagerName(), "StorageManager2");
    EXPECT_EQ(elsewhere.ManagerName(), "StorageManager1");
    delete first;
    TStorageManager third(&owner);
    EXPECT_EQ(third.ManagerName(), "StorageManager1");
    EXPECT_EQ(third.Company(), "Company");
    EXPECT_EQ(third.Product(), "Product");
    EXPECT_FALSE(third.StoreToLocalMachine());
    EXPECT_TRUE(StorageManagers().contains(&third));
}

TEST(StorageManager, RefusesBadValuesWithTheirMessagesAndKeepsTheOldOnes) {
    QObject owner;
    TStorageManager manager(&owner);
    TStorageManager sibling(&owner);
    const QString noBackslash = QStringLiteral("(название не должно включать символ \"\\\")");

    EXPECT_EQ(Refusal([&] { manager.SetCompany("Orvane\\Soft"); }),
              "Недопустимый название компании \"Orvane\\Soft\"\r" + noBackslash);
    EXPECT_EQ(Refusal([&] { manager.SetCompany(""); }), "Недопустимый название компании \"\"\r" + noBackslash);
    EXPECT_EQ(manager.Company(), "Company");
    manager.SetCompany("OrvaneSoft");
    EXPECT_NE(Refusal([&] { manager.SetCompany("a\\b"); }), "");
    EXPECT_EQ(manager.Company(), "OrvaneSoft");

    EXPECT_EQ(Refusal([&] { manager.SetProduct("P\\"); }), "Недопустимый название продукта \"P\\\"\r" + noBackslash);
    EXPECT_EQ(Refusal([&] { manager.SetVersion("3\\0"); }),
              "Недопустимая версия продукта \"3\\0\"\r(версия не должна включать символ \"\\\")");
    EXPECT_EQ(Refusal([&] { manager.SetPlugin("x\\y"); }),
              "Недопустимое имя встраиваемого модуля \"x\\y\"\r(имя не должно включать символ \"\\\")");
    const QString sectionTail = QStringLiteral(
        "\"\r(секция не должно включать символ \"\\\" вначале и\rв конце строки, а также двойных символов \"\\\\\")");
    for (const QString& bad : {QStringLiteral("\\a"), QStringLiteral("a\\"), QStringLiteral("a\\\\b")})
        EXPECT_EQ(Refusal([&] { manager.SetSection(bad); }), "Недопустимая секция в реестре \"" + bad + sectionTail);
    EXPECT_EQ(Refusal([&] { manager.SetSection("a\\b"); }), "");
    EXPECT_EQ(manager.Section(), "a\\b");

    EXPECT_EQ(Refusal([&] { manager.SetManagerName(""); }), "Менеджер хранилищ не может иметь пустое имя");
    EXPECT_EQ(Refusal([&] { manager.SetManagerName("StorageManager2"); }),
              "Имя менеджера хранилищ \"StorageManager2\" уже используется");
    EXPECT_EQ(Refusal([&] { manager.SetManagerName("StorageManager1"); }), "");
    EXPECT_EQ(manager.ManagerName(), "StorageManager1");
}

TEST(StorageManager, BuildsTheKeyPathFromItsParts) {
    TStorageManager manager;
    EXPECT_EQ(manager.KeyPath(true), "Software\\Company\\Product\\Forms");
    manager.SetCompany("OrvaneSoft");
    manager.SetProduct("OrvaneInfo(Road)");
    manager.SetVersion("3.0");
    EXPECT_EQ(manager.KeyPath(true), "Software\\OrvaneSoft\\OrvaneInfo(Road)\\3.0\\Forms");
    manager.SetSection("Import\\Last");
    EXPECT_EQ(manager.KeyPath(true), "Software\\OrvaneSoft\\OrvaneInfo(Road)\\3.0\\Import\\Last\\Forms");
    manager.SetPlugin("Roads");
    EXPECT_EQ(manager.KeyPath(true), "Software\\OrvaneSoft\\OrvaneInfo(Road)\\3.0\\Plug-ins\\Roads\\Import\\Last\\Forms");
    EXPECT_EQ(manager.KeyPath(false), "Software\\OrvaneSoft\\OrvaneInfo(Road)\\3.0\\Forms");
}

TEST(StorageManager, StorageFindsItsManagerByNameOwnerAndAge) {
    TRegistryFiles files;
    QWidget window;
    TStorage storage(&window);
    EXPECT_EQ(storage.Manager(), nullptr);
    EXPECT_EQ(storage.KeyPath(), "Software\\Company\\Product\\Forms");

    auto oldest = std::make_unique<TStorageManager>();
    oldest->SetManagerName("Oldest");
    QObject elsewhere;
    auto* named = new TStorageManager(&elsewhere);
    named->SetManagerName("Shared");
    auto* own = new TStorageManager(&window);
    own->SetManagerName("Shared");

    EXPECT_EQ(storage.Manager(), oldest.get()) << "an empty name takes the first manager of the process";
    storage.SetManagerName("Nobody");
    EXPECT_EQ(storage.ManagerName(), "");
    storage.SetManagerName("Shared");
    EXPECT_EQ(storage.Manager(), own) << "the owner's manager of that name comes first";
    delete own;
    EXPECT_EQ(storage.Manager(), named);
    delete named;
    EXPECT_EQ(storage.ManagerName(), "") << "the name of a manager that left becomes empty";
    EXPECT_EQ(storage.Manager(), oldest.get());
}
