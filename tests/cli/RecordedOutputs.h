#pragma once
// Outputs of a run compared with those an earlier realisation of the program gave, recorded in
// the tree: the runner's standard output, error and status, its log without time stamps, and
// dumps of the databases.

#include "cli/CliHarness.h"

#include <QDir>
#include <QString>
#include <QVector>
#include <utility>

// What the runner wrote and its exit status, as one text.
QString RunTranscript(const TToolRun& run);

// The text with each binary value that blob matches (its group 1 the value's hex digits)
// written as prefix + "sha1:" + the digest of those digits + "'".
QString WithBlobsDigested(const QString& text, const QString& blob, const QString& prefix);

// The log as a run left it, without its time stamps and CR.
QString LogWithoutTimes(const QString& path);

// Each (suffix, text) against the file named prefix + suffix in expected; with recording set,
// the files are written anew first.
void ExpectRecorded(const QDir& expected, const QString& prefix, const QVector<std::pair<QString, QString>>& actual,
                    bool recording);
