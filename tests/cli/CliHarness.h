#pragma once
// Running the built road-import and road-sample as a user would, and making the sample
// databases the end-to-end tests import between.

#include <QString>
#include <QStringList>

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

// road-sample source PATH --titles N --rows N --seed N [--first-title N]
void MakeSampleSource(const QString& path, int titles, int rows, int seed = 1, int firstTitle = 1);
// road-sample empty PATH [--with-dictionaries]
void MakeSampleDest(const QString& path, bool withDictionaries);

QString ImporterPath();
