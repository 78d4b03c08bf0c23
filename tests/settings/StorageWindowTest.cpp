// The storage on real windows: restore on show, save exactly once per close, the placement
// values and what happens to unusable ones, fixed-border windows, the active control, and
// failures that reach the program instead of the event loop.

#include "SettingsTestSupport.h"
#include "settings/Storage.h"
#include "settings/StorageManager.h"

#include <QCloseEvent>
#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

class TTestForm : public QWidget {
    Q_OBJECT
public:
    TTestForm() {
        auto* layout = new QVBoxLayout(this);
        First = new QLineEdit(this);
        First->setObjectName("FirstEdit");
        Second = new QLineEdit(this);
        Second->setObjectName("SecondEdit");
        layout->addWidget(First);
        layout->addWidget(Second);
        Manager = new TStorageManager(this);
        Manager->SetCompany("OrvaneSoft");
        Storage1 = new TStorage(this);
        Storage1->OnSave = [this](TStorage*) { ++Saves; };
        Storage1->OnRestore = [this](TStorage*) { ++Restores; };
        setGeometry(100, 100, 400, 300);
    }
    bool AllowClose = true;
    int Saves = 0;
    int Restores = 0;
    QLineEdit* First;
    QLineEdit* Second;
    TStorageManager* Manager;
    TStorage* Storage1;

protected:
    void closeEvent(QCloseEvent* event) override { event->setAccepted(AllowClose); }
};

namespace {

const QString Path = QStringLiteral("Software/OrvaneSoft/Product/Forms");

class StorageWindow : public ::testing::Test {
protected:
    void Stored(const QString& name, const QString& text) {
        TRegistryFiles::SetValue(Files.UserFile(), Path, "TTestForm", name, text);
    }
    QString Saved(const QString& name) { return TRegistryFiles::Value(Files.UserFile(), Path, "TTestForm", name); }
    TRegistryFiles Files;
};

}  // namespace

TEST_F(StorageWindow, RestoresOnShowAndSavesExactlyOncePerClose) {
    {
        TTestForm form;
        form.show();
        EXPECT_EQ(form.Restores, 1);
        EXPECT_EQ(form.geometry(), QRect(100, 100, 400, 300)) << "nothing stored: the designed place";
        form.AllowClose = false;
        form.close();
        EXPECT_EQ(form.Saves, 0) << "a refused close saves nothing";
        form.AllowClose = true;
        form.setGeometry(150, 160, 400, 300);
        form.close();
        EXPECT_EQ(form.Saves, 1);
        EXPECT_FALSE(form.isVisible());
        form.show();  // shown again: restored again, and the next close saves again
        EXPECT_EQ(form.Restores, 2);
        form.close();
        EXPECT_EQ(form.Saves, 2);
    }
    EXPECT_EQ(Saved("Flags"), "0");
    EXPECT_EQ(Saved("ShowCmd"), "1");
    EXPECT_EQ(Saved("MinMaxPos"), "-1,-1,-1,-1");
    EXPECT_EQ(Saved("NormPos"), "150,160,550,460");

    TTestForm again;
    again.show();
    EXPECT_EQ(again.geometry(), QRect(150, 160, 400, 300));
    again.Storage1->OnSaveFilter = [](TStorage*, bool& proceed) { proceed = false; };
    again.hide();  // a hide without close saves too; the filter vetoes only the window's handler
    EXPECT_EQ(again.Saves, 0);
    EXPECT_TRUE(again.Storage1->IsSaved());
}

TEST_F(StorageWindow, ADialogClosedByItsCloseHandlerSavesOnce) {
    QDialog dialog;
    TStorage storage(&dialog);
    int saves = 0;
    storage.OnSave = [&](TStorage*) { ++saves; };
    dialog.show();
    dialog.close();  // the dialog's close handler rejects it, which hides it
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(saves, 1);
}

TEST_F(StorageWindow, UnusableStoredPlacementsLeaveTheDesignedPlaceAndNormalState) {
    const QString badPositions[] = {"garbage", "300,100,200,400", "-90000,-90000,-89000,-89000", "10,10,500,10"};
    for (const QString& normPos : badPositions) {
        Stored("MinMaxPos", "-1,-1,-1,-1");
        Stored("NormPos", normPos);
        Stored("ShowCmd", normPos == "garbage" ? "17" : "a text");
        TTestForm form;
        form.show();
        EXPECT_EQ(form.geometry(), QRect(100, 100, 400, 300)) << normPos.toStdString();
        EXPECT_EQ(form.windowState(), Qt::WindowNoState);
        form.hide();
    }
    Stored("NormPos", "20,30,420,330");
    Stored("MinMaxPos", "");
    TTestForm withoutMinMax;
    withoutMinMax.show();
    EXPECT_EQ(withoutMinMax.geometry(), QRect(100, 100, 400, 300)) << "NormPos is read only after MinMaxPos";

    QFile damaged(Files.UserFile());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("\x01\x02[[[\n=\nNormPos\n@Variant(\\0\n");
    damaged.close();
    TTestForm fromDamaged;
    fromDamaged.show();
    EXPECT_EQ(fromDamaged.geometry(), QRect(100, 100, 400, 300));
    fromDamaged.close();
    EXPECT_EQ(Saved("NormPos"), "100,100,500,400") << "a damaged file is written anew";
}

TEST_F(StorageWindow, AFixedBorderWindowGetsItsPositionButKeepsItsSize) {
    Stored("MinMaxPos", "-1,-1,-1,-1");
    Stored("NormPos", "40 , 50, 900, 800");
    TTestForm form;
    form.setFixedSize(400, 300);
    form.show();
    EXPECT_EQ(form.geometry(), QRect(40, 50, 400, 300));

    TTestForm sizeable;
    sizeable.show();
    EXPECT_EQ(sizeable.geometry(), QRect(40, 50, 860, 750));
}

TEST_F(StorageWindow, RestoresTheStateAndAsksTheEventsWhenNothingIsStored) {
    {
        TTestForm form;
        form.Storage1->SetDefaultWindowPos(TStorage::dwpWorkAreaRightBottom);
        QRect offered;
        form.Storage1->OnGetDefaultWindowPos = [&](TStorage*, QRect& rect) {
            offered = rect;
            rect.translate(-5, -5);
        };
        form.Storage1->OnGetDefaultWindowState = [](TStorage*, Qt::WindowState& state) { state = Qt::WindowMaximized; };
        form.show();
        const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_EQ(offered, QRect(work.x() + work.width() - 400, work.y() + work.height() - 300, 400, 300));
        EXPECT_TRUE(form.windowState() & Qt::WindowMaximized);
        form.close();
    }
    EXPECT_EQ(Saved("ShowCmd"), "3");
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    const int left = work.x() + work.width() - 405, top = work.y() + work.height() - 305;
    EXPECT_EQ(Saved("NormPos"), QString("%1,%2,%3,%4").arg(left).arg(top).arg(left + 400).arg(top + 300))
        << "a maximised window keeps its normal rectangle";
    TTestForm reopened;
    reopened.show();
    EXPECT_TRUE(reopened.windowState() & Qt::WindowMaximized);
}

TEST_F(StorageWindow, ActiveControlIsKeptOnlyWithItsOption) {
    {
        TTestForm form;
        form.Storage1->SetOptions(form.Storage1->Options() | TStorage::soActiveControl);
        form.show();
        form.activateWindow();
        form.Second->setFocus();
        form.close();
    }
    EXPECT_EQ(Saved("ActiveControl"), "SecondEdit");
    TTestForm reopened;
    reopened.Storage1->SetOptions(reopened.Storage1->Options() | TStorage::soActiveControl);
    reopened.First->setFocus();
    reopened.show();
    EXPECT_EQ(reopened.focusWidget(), reopened.Second);
}

TEST_F(StorageWindow, AFailedSaveReachesTheProgramAndTheWindowStillCloses) {
    QStringList reported;
    TStorage::HookErrorHandler = [&](const QString& message) { reported.append(message); };
    TTestForm form;
    form.show();
    Files.MakeUserUnwritable();
    form.close();
    TStorage::HookErrorHandler = nullptr;
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.Storage1->IsSaved());
    ASSERT_EQ(reported.size(), 2) << "the close and the hide that follows both try";
    EXPECT_TRUE(reported[0].startsWith("Ошибка создания ключа реестра \"Software\\OrvaneSoft\\Product\\Forms\\TTestForm"));
}

#include "StorageWindowTest.moc"
