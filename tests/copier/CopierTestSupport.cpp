#include "CopierTestSupport.h"

#include "db/ADOQuery.h"

int TScriptedAsker::Ask(const QString& message, TMsgDlgType type, TMsgDlgButtons buttons) {
    Asked.append(message);
    EXPECT_EQ(type, TMsgDlgType::mtConfirmation);
    EXPECT_EQ(buttons, TMsgDlgButtons(TMsgDlgBtn::mbYes | TMsgDlgBtn::mbNo));
    if (Answers.isEmpty()) {
        ADD_FAILURE() << "unscripted question: " << message.toStdString();
        return mrNo;
    }
    return Answers.takeFirst();
}

TStringList MakeList(const QStringList& names, const QList<int>& marks) {
    TStringList list;
    for (int i = 0; i < names.size(); ++i) list.Add(names[i], i < marks.size() ? marks[i] : 0);
    return list;
}

void CopierTest::SetUp() {
    SetQuestionAsker(&Asker);
    OnLogLine = [this](const QString& line) { Lines.append(line); };
    OnTableStart = [this](const QString& name, int rows, int count, int number) {
        Events.append(QStringLiteral("start %1 %2 %3/%4").arg(name).arg(rows).arg(number).arg(count));
    };
    OnRowProgress = [this](const QString& name, int position) {
        Events.append(QStringLiteral("row %1 %2").arg(name).arg(position));
    };
    OnFinish = [this] {
        Events.append(QStringLiteral("finish"));
        if (FinishHook) FinishHook();
    };
    OnCheckAbort = nullptr;
}

void CopierTest::TearDown() {
    ClearCallbacks();
    EXPECT_TRUE(Asker.Answers.isEmpty()) << "questions left unasked";
}

void CopierTest::BuildDatabases(const QStringList& sourceStatements, const QStringList& destStatements) {
    CreateSqliteDatabase(Dir.Path(QStringLiteral("source.db")), sourceStatements);
    CreateSqliteDatabase(Dir.Path(QStringLiteral("dest.db")), destStatements);
    Source.ConnectionString = SqliteConnectionString(Dir.Path(QStringLiteral("source.db")));
    Source.Open();
    Dest.ConnectionString = SqliteConnectionString(Dir.Path(QStringLiteral("dest.db")));
    Dest.Open();
}

QStringList CopierTest::Rows(TADOConnection& connection, const QString& statement) {
    return ::Rows(connection, statement);
}

QStringList CopierTest::CommittedDestRows(const QString& statement) {
    TADOConnection fresh;
    fresh.ConnectionString = Dest.ConnectionString;
    fresh.Open();
    return Rows(fresh, statement);
}

void CopierTest::Execute(TADOConnection& connection, const QString& statement) {
    TADOQuery query(&connection);
    query.SetSQL(statement);
    query.ExecSQL();
}
