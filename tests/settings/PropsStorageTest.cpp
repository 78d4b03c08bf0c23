// Stored component properties: the text of each kind of property, how a stored text is
// applied, and the upkeep of the entries.

#include "SettingsTestSupport.h"
#include "settings/Storage.h"

#include <QRect>
#include <QWidget>
#include <gtest/gtest.h>

class TSample : public QObject {
    Q_OBJECT
public:
    enum TShape { Circle, Square, Triangle };
    Q_ENUM(TShape)
    enum TPart { Top = 0x1, Left = 0x2, Bottom = 0x4, Corner = 0x10000 };
    Q_DECLARE_FLAGS(TParts, TPart)
    Q_FLAG(TParts)

    Q_PROPERTY(int Count MEMBER Count)
    Q_PROPERTY(QChar Letter MEMBER Letter)
    Q_PROPERTY(TShape Shape MEMBER Shape)
    Q_PROPERTY(double Ratio MEMBER Ratio)
    Q_PROPERTY(float Scale MEMBER Scale)
    Q_PROPERTY(QString Caption MEMBER Caption)
    Q_PROPERTY(TParts Parts READ GetParts WRITE SetParts)
    Q_PROPERTY(bool Enabled MEMBER Enabled)
    Q_PROPERTY(QObject* Inner MEMBER Inner)
    Q_PROPERTY(QRect Area MEMBER Area)

    using QObject::QObject;
    int Count = 0;
    QChar Letter = QLatin1Char('a');
    TShape Shape = Circle;
    double Ratio = 0.5;
    float Scale = 1.0f;
    QString Caption;
    TParts Parts;
    TParts GetParts() const { return Parts; }
    void SetParts(TParts value) { Parts = value; }
    bool Enabled = false;
    QObject* Inner = nullptr;
    QRect Area;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TSample::TParts)

class TInner : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Depth MEMBER Depth)
public:
    using QObject::QObject;
    int Depth = 0;
};

namespace {

const QString Path = QStringLiteral("Software/Company/Product/Forms");

struct TPropsForm {
    TPropsForm() {
        Sample->setObjectName("Sample1");
        Inner->setObjectName("Inner1");
        Sample->Inner = Inner;
        Storage->SetStoredProps({"Sample1.Count", " sample1 . letter ", "Sample1.Shape", "Sample1.Ratio", "Sample1.Scale",
                                 "Sample1.Caption", "Sample1.Parts", "Sample1.Enabled", "Sample1.Inner",
                                 "Sample1.Area", "Missing1.Count", "no dot"});
    }
    QWidget Window;
    TSample* Sample = new TSample(&Window);
    TInner* Inner = new TInner(&Window);
    TStorage* Storage = new TStorage(&Window);
};

}  // namespace

TEST(StoredProps, SavesEachKindAsItsTextAndRestoresIt) {
    TRegistryFiles files;
    auto value = [&](const char* name) { return TRegistryFiles::Value(files.UserFile(), Path, "QWidget", name); };
    {
        TPropsForm form;
        form.Sample->Count = -12;
        form.Sample->Letter = QChar(0x0416);
        form.Sample->Shape = TSample::Triangle;
        form.Sample->Ratio = 1.0 / 3;
        form.Sample->Scale = 2.5f;
        form.Sample->Caption = "  Дорога 1 ";
        form.Sample->Parts = TSample::Top | TSample::Bottom | TSample::Corner;
        form.Sample->Enabled = true;
        form.Inner->Depth = 4;
        form.Window.show();
        EXPECT_EQ(form.Storage->StoredProps().size(), 10) << "entries naming no component are dropped on load";
        form.Window.close();
    }
    EXPECT_EQ(value("Sample1_Count"), "-12");
    EXPECT_EQ(value("Sample1_Letter"), QString(QChar(0x0416)));
    EXPECT_EQ(value("Sample1_Shape"), "Triangle");
    EXPECT_EQ(value("Sample1_Ratio"), "0.333333333333333");
    EXPECT_EQ(value("Sample1_Scale"), "2.5");
    EXPECT_EQ(value("Sample1_Caption"), "Дорога 1");
    EXPECT_EQ(value("Sample1_Parts"), "[Top,Bottom]") << "members above 15 are not written";
    EXPECT_EQ(value("Sample1_Enabled"), "True");
    EXPECT_EQ(value("Sample1_Inner"), "");
    EXPECT_EQ(value("Sample1_InnerDepth"), "4");
    EXPECT_TRUE(value("Sample1_Area").isNull()) << "a kind outside the table is skipped";

    TPropsForm form;
    form.Window.show();
    EXPECT_EQ(form.Sample->Count, -12);
    EXPECT_EQ(form.Sample->Letter, QChar(0x0416));
    EXPECT_EQ(form.Sample->Shape, TSample::Triangle);
    EXPECT_DOUBLE_EQ(form.Sample->Ratio, 0.333333333333333);
    EXPECT_EQ(form.Sample->Caption, "Дорога 1");
    EXPECT_EQ(form.Sample->Parts, TSample::Top | TSample::Bottom);
    EXPECT_TRUE(form.Sample->Enabled);
    EXPECT_EQ(form.Inner->Depth, 4);
}

TEST(StoredProps, AppliesOddTextsByTheKindRules) {
    TRegistryFiles files;
    auto store = [&](const char* name, const char* text) {
        TRegistryFiles::SetValue(files.UserFile(), Path, "QWidget", name, text);
    };
    store("Sample1_Count", "twelve");
    store("Sample1_Letter", "");
    store("Sample1_Shape", "sQuArE");
    store("Sample1_Ratio", "not a number");
    store("Sample1_Scale", "0.25");
    store("Sample1_Parts", "[Left, Nowhere,corner]");
    store("Sample1_Enabled", "true");
    TPropsForm form;
    form.Sample->Count = 5;
    form.Sample->Parts = TSample::Top;
    form.Window.show();
    EXPECT_EQ(form.Sample->Count, 0) << "an integer that is not one is 0";
    EXPECT_EQ(form.Sample->Letter, QLatin1Char('a')) << "an empty character leaves the property";
    EXPECT_EQ(form.Sample->Shape, TSample::Square);
    EXPECT_DOUBLE_EQ(form.Sample->Ratio, 0.5) << "a bad number leaves the property, the others go on";
    EXPECT_FLOAT_EQ(form.Sample->Scale, 0.25f);
    EXPECT_EQ(form.Sample->Parts, TSample::Left | TSample::Corner) << "members up to 31 are read; unknown words skipped";
    EXPECT_TRUE(form.Sample->Enabled);
}

TEST(StoredProps, EntriesFollowTheirComponents) {
    TRegistryFiles files;
    TPropsForm form;
    form.Storage->Loaded();
    form.Sample->setObjectName("Renamed");
    EXPECT_EQ(form.Storage->StoredProps().first(), "Renamed.Count");
    delete form.Inner;
    form.Sample->Inner = nullptr;
    form.Storage->SetStoredProps({"Inner1.Depth", "Renamed.Count"});
    EXPECT_EQ(form.Storage->StoredProps(), QStringList{"Renamed.Count"});
    delete form.Sample;
    EXPECT_TRUE(form.Storage->StoredProps().isEmpty()) << "a removed component takes its entries along";
    EXPECT_NO_THROW(form.Storage->Save());
}

#include "PropsStorageTest.moc"
