#pragma once
// What the title-preparation tests share: a scripted front end (title list, message boxes,
// the title page), sample databases in a temporary folder, the diagnostic log captured in a
// file, and small query helpers.

#include "common/TestFiles.h"
#include "db/ADOConnection.h"
#include "titles/ImportPlan.h"
#include "titles/TitleFrontEnd.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>
#include <gtest/gtest.h>

class TScriptedFrontEnd : public TTitleFrontEnd {
public:
    struct TItem {
        QString Caption;
        QStringList SubItems;
        bool Checked = false;
    };
    struct TMessage {
        QString Text;
        TMsgDlgType Type;
        TMsgDlgButtons Buttons;
    };

    QVector<TItem> Items;
    QVector<TMessage> Messages;
    QList<int> Answers;  // answers to the message boxes in order; mrCancel once used up
    int TitlePageShown = 0;
    int UpdateDepth = 0;

    // Adds a ticked item.
    void AddTitle(const QString& key, const QString& name, bool checked = true);
    QStringList CheckedCaptions() const;

    int ItemCount() const override { return static_cast<int>(Items.size()); }
    QString ItemCaption(int index) const override { return Items[index].Caption; }
    QString ItemSubItem(int index) const override { return Items[index].SubItems.value(0); }
    bool ItemChecked(int index) const override { return Items[index].Checked; }
    void SetItemChecked(int index, bool checked) override { Items[index].Checked = checked; }
    void ClearItems() override { Items.clear(); }
    void AddItem(const QString& caption, const QStringList& subItems) override { Items.append({caption, subItems, false}); }
    void BeginUpdate() override { ++UpdateDepth; }
    void EndUpdate() override { --UpdateDepth; }
    int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    void ShowTitlePage() override { ++TitlePageShown; }
};

// The first field of the first row as an integer.
int Scalar(TADOConnection& connection, const QString& statement);
void Execute(TADOConnection& connection, const QString& statement);
// Whether the table has a column of that name.
bool HasColumn(TADOConnection& connection, const QString& table, const QString& column);

class TitlesTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A sample source (titles of rows each) and an empty destination, both opened.
    void MakeDatabases(int titles = 3, int rows = 3, bool destWithDictionaries = true);
    void OpenConnections();
    // Ticks the titles with these keys in a front end filled from the source.
    void TickTitles(const QList<int>& keys);
    // The diagnostic log's text so far.
    QString LogText() const;

    TTestDir Dir;
    QString SourcePath;
    QString DestPath;
    TADOConnection Source;
    TADOConnection Dest;
    TScriptedFrontEnd FrontEnd;
    TImportPlan Plan;
    QStringList MemoLines;  // OnLogLine

private:
    std::uint8_t SavedLevel = 0;
    QString SavedFile;
};
