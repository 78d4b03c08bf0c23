#pragma once
// The --summary file: what an import did, as JSON, written once the run has ended, so that a
// script can check it without reading the memo:
//   {"outcome": "saved" | "declined" | "stopped" | "failed" | "refused",
//    "titles": [{"code": 7, "dest_code": 12, "name": "..."}, ...],
//    "tables": {"<table>": {"inserted": n, "reused": n, "updated": n, "failed": n,
//                           "failures": {"<kind>": n, ...}, "pulled_in": n}, ...},
//    "total": {...the same counts over every table...}}
// "dest_code" is the title's code in the destination once the run was saved, else null.

#include "copier/RunCounts.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>

enum class TRunOutcome { Saved, Declined, Stopped, Failed, Refused };

struct TRunTitle {
    QString Code;
    QString Name;
};

struct TRunSummary {
    TRunOutcome Outcome = TRunOutcome::Failed;
    QVector<TRunTitle> Titles;  // each title the run was for
    TRunCounts Counts;
    QHash<QString, int> TitleDestCodes;  // source code -> destination code of each title copied

    // Notes the destination code of a title row the run copied.
    void NoteRow(const TRowRecord& row);
};

QByteArray RunSummaryJson(const TRunSummary& summary);

// Raises EUsageError when the file cannot be written, before anything runs.
void CheckSummaryFileWritable(const QString& path);
// Writes the file whole; returns the reason when it cannot, or an empty text.
QString WriteRunSummary(const QString& path, const TRunSummary& summary);
