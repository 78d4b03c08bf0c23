#pragma once
// Running the built road-import and road-sample as a user would, and making the sample
// databases the end-to-end tests import between.

#include "common/TestFiles.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QProcess;
class TDatabaseInspector;

struct TToolRun {
    int ExitCode = -1;
    bool Crashed = false;
    QStringList Out;  // standard output, one entry per line
    QString Err;      // standard error as written
};

// Runs a tool to its end (at most timeoutMs) with the given arguments, and with the given
// "NAME=value" pairs added to its environment.
TToolRun RunTool(const QString& program, const QStringList& arguments, int timeoutMs = 60000,
                 const QStringList& environment = {});
TToolRun RunImporter(const QStringList& arguments, const QStringList& environment = {});

// "--source CONN --dest CONN" for two SQLite files, followed by further arguments.
QStringList ImportArguments(const QString& sourcePath, const QString& destPath, const QStringList& more);

// A temporary folder with a sample source (road-sample source) and an empty destination that
// holds the dictionaries (road-sample empty --with-dictionaries).
struct TSampleFiles {
    TSampleFiles(int titles, int rows, int seed = 1);
    TTestDir Dir;
    QString Source;
    QString Dest;
};

// road-sample source PATH --titles N --rows N --seed N [--first-title N]
void MakeSampleSource(const QString& path, int titles, int rows, int seed = 1, int firstTitle = 1);
// road-sample empty PATH [--with-dictionaries]
void MakeSampleDest(const QString& path, bool withDictionaries);

QString ImporterPath();

// The JSON object a file holds (a --summary file), or an empty one when it cannot be read.
QJsonObject ReadJsonObject(const QString& path);

// Reads the runner's standard output until a line starting with `prefix` has arrived; the
// lines read are appended to `lines`.
bool WaitForLine(QProcess& process, const QString& prefix, QStringList& lines, int timeoutMs);

// The tables a title owns in the sample schema, with the rows of the titles `keys` in the
// source: Where with %1 replaced by the title keys.
struct TOwnedTable {
    QString Table;
    QString Where;
};
const QList<TOwnedTable>& OwnedTables();

// Two databases an end-to-end test imports between, on either backend, and how to read them
// directly.
struct TImportPair {
    QString Source;  // connection strings
    QString Dest;
    std::function<std::unique_ptr<TDatabaseInspector>(const QString& connectionString)> Inspect;

    // "--source Source --dest Dest" followed by further arguments.
    QStringList Arguments(const QStringList& more) const;
};

// Every title key of the source, as a comma list.
QString AllTitleKeys(const TImportPair& pair);

// Neither database keeps a GUID column or the section link.
void ExpectNoTraces(const TImportPair& pair);
// The destination, which held no title before, holds exactly the source's titles `keys` (a
// comma list) with everything they own, compared by content, every reference leading to a
// row that is there.
void ExpectTitlesImported(const TImportPair& pair, const QString& keys);
