#pragma once
// The --summary file: what an import did, as JSON, written once the run has ended, so that a
// script can check it without reading the memo:
//   {"outcome": "saved" | "declined" | "stopped" | "failed" | "refused",
//    "titles": [{"code": 7, "name": "..."}, ...],
//    "tables": {"<table>": {"inserted": n, "reused": n, "updated": n, "failed": n,
//                           "failures": {"<kind>": n, ...}, "pulled_in": n}, ...},
//    "total": {...the same counts over every table...}}

#include "copier/RunCounts.h"

#include <QByteArray>
#include <QPair>
#include <QString>
#include <QVector>

enum class TRunOutcome { Saved, Declined, Stopped, Failed, Refused };

struct TRunSummary {
    TRunOutcome Outcome = TRunOutcome::Failed;
    QVector<QPair<QString, QString>> Titles;  // code and name of each title the run was for
    TRunCounts Counts;
};

QByteArray RunSummaryJson(const TRunSummary& summary);

// Raises EUsageError when the file cannot be written, before anything runs.
void CheckSummaryFileWritable(const QString& path);
// Writes the file whole; returns the reason when it cannot, or an empty text.
QString WriteRunSummary(const QString& path, const TRunSummary& summary);
