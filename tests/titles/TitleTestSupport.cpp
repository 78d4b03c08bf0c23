#include "TitleTestSupport.h"

#include "copier/Callbacks.h"
#include "db/ADOQuery.h"
#include "sample/SampleDatabase.h"
#include "support/Log.h"
#include "titles/TitlePreparation.h"

#include <QFile>

void TScriptedFrontEnd::AddTitle(const QString& key, const QString& name, bool checked) {
    Items.append({key, {name}, checked});
}

QStringList TScriptedFrontEnd::CheckedCaptions() const {
    QStringList captions;
    for (const TItem& item : Items)
        if (item.Checked) captions << item.Caption;
    return captions;
}

int TScriptedFrontEnd::MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    Messages.append({text, type, buttons});
    return Answers.isEmpty() ? mrCancel : Answers.takeFirst();
}

int Scalar(TADOConnection& connection, const QString& statement) {
    TADOQuery query(&connection);
    query.SetSQL(statement);
    query.Open();
    return query.Fields(0).AsInteger();
}

void Execute(TADOConnection& connection, const QString& statement) {
    TADOQuery query(&connection);
    query.SetSQL(statement);
    query.ExecSQL();
}

bool HasColumn(TADOConnection& connection, const QString& table, const QString& column) {
    return Scalar(connection, QStringLiteral("select count(*) from pragma_table_xinfo('") + table +
                                  QStringLiteral("') where name = '") + column + QStringLiteral("'")) > 0;
}

void TitlesTest::SetUp() {
    SavedLevel = LogLevel;
    SavedFile = LogFileName;
    LogLevel = 1;
    LogFileName = Dir.Path(QStringLiteral("titles.log"));
    OnLogLine = [this](const QString& line) { MemoLines << line; };
}

void TitlesTest::TearDown() {
    ClearCallbacks();
    Source.Close();
    Dest.Close();
    LogLevel = SavedLevel;
    LogFileName = SavedFile;
}

void TitlesTest::MakeDatabases(int titles, int rows, bool destWithDictionaries) {
    SourcePath = Dir.Path(QStringLiteral("source.db"));
    DestPath = Dir.Path(QStringLiteral("dest.db"));
    GenerateSampleDatabase(SourcePath, titles, rows, 11);
    CreateEmptySampleDatabase(DestPath, destWithDictionaries);
    OpenConnections();
}

void TitlesTest::OpenConnections() {
    Source.ConnectionString = SampleConnectionString(SourcePath);
    Source.Open();
    Dest.ConnectionString = SampleConnectionString(DestPath);
    Dest.Open();
    // Every schema change of a preparation commits on its own; the tests need not wait for
    // the disk each time.
    Execute(Source, QStringLiteral("PRAGMA synchronous = OFF"));
    Execute(Dest, QStringLiteral("PRAGMA synchronous = OFF"));
}

void TitlesTest::TickTitles(const QList<int>& keys) {
    TADOQuery query(&Source);
    FillListFromTable(QStringLiteral("Титул"), FrontEnd, QStringLiteral("Код_титула, Наименование"), false, QString(),
                      QString(), query);
    for (int i = 0; i < FrontEnd.ItemCount(); ++i)
        FrontEnd.SetItemChecked(i, keys.contains(FrontEnd.ItemCaption(i).toInt()));
}

QString TitlesTest::LogText() const {
    QFile file(LogFileName);
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(file.readAll());
}
