#pragma once
// What the copier tests share: a source and a destination SQLite database built per test,
// the copier's callback slots recorded, and the copier's questions answered from a script.

#include "common/TestFiles.h"
#include "copier/Callbacks.h"
#include "db/ADOConnection.h"
#include "support/StringList.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>

// Answers the copier's questions in order; an unscripted question fails the test.
class TScriptedAsker : public TQuestionAsker {
public:
    QList<int> Answers;
    QStringList Asked;
    int Ask(const QString& message, TMsgDlgType type, TMsgDlgButtons buttons) override;
};

// Builds a TStringList from names, with optional marks.
TStringList MakeList(const QStringList& names, const QList<int>& marks = {});

class CopierTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates both databases and opens a connection to each.
    void BuildDatabases(const QStringList& sourceStatements, const QStringList& destStatements);
    // Every row of a statement, fields joined by "|" (NULL reads "NULL"), rows in order.
    static QStringList Rows(TADOConnection& connection, const QString& statement);
    // The same through a fresh connection to the destination file: what is committed.
    QStringList CommittedDestRows(const QString& statement);
    static void Execute(TADOConnection& connection, const QString& statement);

    TTestDir Dir;
    TADOConnection Source;
    TADOConnection Dest;
    TScriptedAsker Asker;
    QStringList Lines;                 // OnLogLine
    // The lines before the run's table of counts (all of them when there is none).
    QStringList LinesBeforeCounts() const { return Lines.mid(0, Lines.indexOf("Итоги импорта по таблицам:")); }
    QStringList Events;                // OnTableStart, OnRowProgress and OnFinish, in order
    std::function<void()> FinishHook;  // run inside OnFinish
};
