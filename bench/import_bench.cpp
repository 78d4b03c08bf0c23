// A whole title import timed: generates a sample source, imports every title into an empty
// destination (with its dictionaries) through the same run as road-import, and prints the
// rows copied, the seconds taken and the rows per second.
//
// Usage: import_bench [--titles N] [--rows N]   (default 20 titles of 100 rows)

#include "copier/Callbacks.h"
#include "db/ADOQuery.h"
#include "db/ImportDBModule.h"
#include "sample/SampleDatabase.h"
#include "support/EAbort.h"
#include "support/Log.h"
#include "titles/ImportRun.h"
#include "titles/TitlePreparation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Ticks every title, answers Yes to the save question, shows nothing; notes when the copy
// proper (the first table) begins.
class TQuietFrontEnd : public TImportFrontEnd, public TQuestionAsker {
public:
    struct TItem {
        QString Caption, Name;
        bool Checked = false;
    };
    QList<TItem> Items;
    QElapsedTimer* Clock = nullptr;
    qint64 CopyStartMs = -1;
    int FailedRows = 0;

    int ItemCount() const override { return static_cast<int>(Items.size()); }
    QString ItemCaption(int index) const override { return Items[index].Caption; }
    QString ItemSubItem(int index) const override { return Items[index].Name; }
    bool ItemChecked(int index) const override { return Items[index].Checked; }
    void SetItemChecked(int index, bool checked) override { Items[index].Checked = checked; }
    void ClearItems() override { Items.clear(); }
    void AddItem(const QString& caption, const QStringList& subItems) override {
        Items.append(TItem{caption, subItems.value(0), false});
    }
    int MessageDlg(const QString& text, TMsgDlgType, TMsgDlgButtons) override {
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
        return mrCancel;
    }
    void ShowTitlePage() override {}
    int Ask(const QString&, TMsgDlgType, TMsgDlgButtons) override { return mrYes; }

    void ClearMemo() override {}
    void AddMemoLine(const QString& line) override {
        if (line.startsWith(QStringLiteral("Не удалось добавить запись"))) ++FailedRows;
    }
    void ShowLogPage() override {}
    void TableStart(const QString&, int, int tableCount, int) override {
        if (tableCount >= 0 && CopyStartMs < 0) CopyStartMs = Clock->elapsed();
    }
    void RowProgress(const QString&, int) override {}
    void CheckAbort() override {}
    void ResetDisplay() override {}
};

int OptionValue(const QStringList& args, const QString& name, int fallback) {
    const int at = static_cast<int>(args.indexOf(name));
    if (at < 0 || at + 1 >= args.size()) return fallback;
    bool ok = false;
    const int value = args[at + 1].toInt(&ok);
    return ok && value > 0 ? value : fallback;
}

QHash<QString, int> RowCounts(TADOConnection& connection) {
    QHash<QString, int> counts;
    TADOQuery tables(&connection);
    tables.SetSQL(QStringLiteral("select name from sqlite_master where type = 'table' and name not like 'sqlite_%'"));
    tables.Open();
    QStringList names;
    for (; !tables.Eof(); tables.Next()) names << tables.Fields(0).AsString();
    tables.Close();
    for (const QString& name : names) {
        TADOQuery count(&connection);
        count.SetSQL(QStringLiteral("select count(*) from ") + name);
        count.Open();
        counts.insert(name, count.Fields(0).AsInteger());
        count.Close();
    }
    return counts;
}

void OpenSqlite(TADOConnection& connection, const QString& path) {
    connection.ConnectionString = SampleConnectionString(path);
    connection.CommandTimeout = 3600;
    connection.Open();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TImportDBModule module;
    const QStringList args = app.arguments();
    const int titles = OptionValue(args, QStringLiteral("--titles"), 20);
    const int rows = OptionValue(args, QStringLiteral("--rows"), 100);

    QTemporaryDir dir;
    LogLevel = 1;
    LogFileName = dir.filePath(QStringLiteral("bench.log"));
    const QString sourcePath = dir.filePath(QStringLiteral("source.db"));
    const QString destPath = dir.filePath(QStringLiteral("dest.db"));
    QElapsedTimer generation;
    generation.start();
    GenerateSampleDatabase(sourcePath, titles, rows, 1);
    CreateEmptySampleDatabase(destPath, true);
    std::printf("sample source: %d titles of %d rows, made in %.2f s\n", titles, rows, generation.elapsed() / 1000.0);

    try {
        OpenSqlite(module.ADOConnectionSource, sourcePath);
        OpenSqlite(module.ADOConnectionDest, destPath);
        TQuietFrontEnd frontEnd;
        FillListFromTable(QStringLiteral("Титул"), frontEnd, QStringLiteral("Код_титула, Наименование"), false, QString(),
                          QString(), module.SourceQuery);
        for (auto& item : frontEnd.Items) item.Checked = true;
        SetQuestionAsker(&frontEnd);

        const QHash<QString, int> before = RowCounts(module.ADOConnectionDest);
        TImportPlan plan;
        QElapsedTimer clock;
        frontEnd.Clock = &clock;
        clock.start();
        const int result = RunTitleImport(frontEnd, plan, module.ADOConnectionSource, module.ADOConnectionDest);
        const qint64 totalMs = clock.elapsed();
        SetQuestionAsker(nullptr);
        if (result < 0) {
            std::printf("the import failed (see %s)\n", LogFileName.toUtf8().constData());
            return 1;
        }

        const QHash<QString, int> after = RowCounts(module.ADOConnectionDest);
        long long copied = 0;
        for (auto it = after.begin(); it != after.end(); ++it) copied += it.value() - before.value(it.key());
        const double seconds = totalMs / 1000.0;
        const double copySeconds = (totalMs - frontEnd.CopyStartMs) / 1000.0;
        std::printf("tables imported: %d, rows copied: %lld, rows refused: %d\n", result, copied, frontEnd.FailedRows);
        std::printf("whole run: %.2f s, %.0f rows/s\n", seconds, copied / seconds);
        std::printf("  preparation (closure, GUID columns): %.2f s\n", frontEnd.CopyStartMs / 1000.0);
        std::printf("  copy and commit: %.2f s, %.0f rows/s\n", copySeconds, copied / copySeconds);
    } catch (const EAbort&) {
        std::printf("the run was refused\n");
        return 1;
    } catch (const std::exception& error) {
        std::printf("error: %s\n", error.what());
        return 1;
    }
    return 0;
}
