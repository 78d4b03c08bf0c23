// Copies a few thousand rows whose references reach two further tables through nested
// calls, with ImportTables on SQLite files, and prints the rows per second and the growth of
// the peak resident memory per copied row.
//
//   copier_bench [items [index|keymap]]
//     items   default 5000; one district per 10 items, one region per 10 districts
//     index   the destination's GUID column is indexed (the probe then does not scan)
//     keymap  only measures one key-map pack holding that many entries

#include "copier/Callbacks.h"
#include "copier/CopierRun.h"
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "support/IntegerPack.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"), or -1.
long ProcStatusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
    return -1;
}

const QStringList Schema = {
    "create table Region (K integer primary key, Name varchar(40))",
    "create table District (K integer primary key, Name varchar(40), RegionRef int references Region(K))",
    "create table Item (K integer primary key, Name varchar(40), Length float, DistrictRef int "
    "references District(K), GUID varchar(40))",
};

void Execute(TADOConnection& connection, const QString& statement) {
    TADOQuery query(&connection);
    query.SetSQL(statement);
    query.ExecSQL();
}

void CreateDatabase(const QString& path, int items, bool withRows, bool guidIndex) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.close();
    TADOConnection connection;
    connection.ConnectionString = QStringLiteral("Provider=SQLite;Location=") + path;
    connection.Open();
    for (const QString& statement : Schema) Execute(connection, statement);
    if (guidIndex) Execute(connection, "create index ItemGuid on Item(GUID)");
    if (withRows) {
        const int districts = (items + 9) / 10;
        const int regions = (districts + 9) / 10;
        const QString numbers = QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) ");
        Execute(connection, numbers.arg(regions) + "insert into Region select i, 'Region ' || i from n");
        Execute(connection, numbers.arg(districts) +
                                QStringLiteral("insert into District select i, 'District ' || i, (i - 1) / 10 + 1 from n"));
        Execute(connection, numbers.arg(items) +
                                QStringLiteral("insert into Item select i, 'Item ' || i, i * 1.5, (i - 1) / 10 + 1, "
                                               "'guid-' || i from n"));
    }
    connection.Close();
}

// Answers the save question with Yes, as the operator would.
class TSaveAsker : public TQuestionAsker {
public:
    int Ask(const QString&, TMsgDlgType, TMsgDlgButtons) override { return mrYes; }
};

// The key maps' share: one pack holding as many entries as the run copies rows.
void MeasureKeyMapEntries(int entries) {
    const long before = ProcStatusKb("VmRSS");
    TIntegerPack pack(true);
    for (int key = 1; key <= entries; ++key) pack.Add(key, key + 1000000, true);
    const long after = ProcStatusKb("VmRSS");
    std::printf("key map alone: %d entries, RSS growth %ld kB, %.1f bytes per entry\n", pack.Count(),
                after - before, (after - before) * 1024.0 / entries);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int items = argc > 1 ? std::atoi(argv[1]) : 5000;
    // "index": the destination's GUID column is indexed, so that the probe does not scan.
    const bool guidIndex = argc > 2 && std::string(argv[2]) == "index";
    if (argc > 2 && std::string(argv[2]) == "keymap") {
        MeasureKeyMapEntries(items);
        return 0;
    }
    QTemporaryDir dir;
    const QString sourcePath = dir.filePath("source.db");
    const QString destPath = dir.filePath("dest.db");
    CreateDatabase(sourcePath, items, true, false);
    CreateDatabase(destPath, items, false, guidIndex);

    TADOConnection source;
    source.ConnectionString = QStringLiteral("Provider=SQLite;Location=") + sourcePath;
    source.Open();
    TADOConnection dest;
    dest.ConnectionString = QStringLiteral("Provider=SQLite;Location=") + destPath;
    dest.Open();
    TSaveAsker asker;
    SetQuestionAsker(&asker);

    // The regions and districts are listed but not copied: every one of them arrives through
    // a nested call from the first item that refers to it.
    TStringList tables;
    tables.Add("Region", imSkip);
    tables.Add("District", imSkip);
    tables.Add("Item", imCopy);
    TStringList selections;
    selections.Add("");
    selections.Add("");
    selections.Add("");
    TStringList matchTables;
    matchTables.Add("Item");
    matchTables.Add("District");
    matchTables.Add("Region");
    TStringList matchColumns;
    matchColumns.Add("GUID");
    matchColumns.Add("Name, RegionRef");
    matchColumns.Add("Name");

    const long rssBefore = ProcStatusKb("VmRSS");
    const long peakBefore = ProcStatusKb("VmHWM");
    const auto start = std::chrono::steady_clock::now();
    const int result = ImportTables(tables, selections, matchTables, matchColumns, source, dest, &tables);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long peakAfter = ProcStatusKb("VmHWM");
    SetQuestionAsker(nullptr);

    TADOQuery count(&dest);
    count.SetSQL("select (select count(*) from Item) + (select count(*) from District) + (select count(*) from Region)");
    count.Open();
    const int copied = count.Fields(0).AsInteger();
    count.Close();

    std::printf("result %d, rows copied %d (%d items, nested: districts and regions)\n", result, copied, items);
    std::printf("time %.2f s, %.0f rows/s\n", seconds, copied / seconds);
    std::printf("peak RSS before %ld kB (RSS %ld kB), after %ld kB: growth %.2f kB, %.1f bytes per copied row\n",
                peakBefore, rssBefore, peakAfter, double(peakAfter - rssBefore),
                copied > 0 ? (peakAfter - rssBefore) * 1024.0 / copied : 0.0);
    return result >= 0 ? 0 : 1;
}
