#pragma once
// What a run did, table by table: rows inserted, rows found in the destination and reused,
// rows found and updated, rows that failed (by the step that failed them), and how many of
// the handled rows a nested call pulled in through a reference. Rows already copied earlier
// in the run cost no statement and are not counted again. Beside the counts, how the run
// ended: whether it committed, and the error that failed it.

#include "support/StringList.h"

#include <QMap>
#include <QString>
#include <QVector>
#include <exception>
#include <functional>
#include <optional>

// The step of a row that failed it.
enum class TRowFailureKind {
    Key,        // the source key could not be read as a whole number
    Reference,  // a row it refers to could not be supplied
    Value,      // a source value could not be read or bound
    Probe,      // the look-up in the destination failed or found nothing after the insert
    Insert,     // the server refused the insert
    Update,     // the server refused the update
};

// The kind's name in the summary file ("key", "reference", ...) and in the memo ("ключ", ...).
QString FailureKindName(TRowFailureKind kind);
QString FailureKindCaption(TRowFailureKind kind);

// What became of a source row the run handled.
enum class TRowOutcome { Inserted, Reused, Updated, Failed };

// The outcome's name in the key map file ("inserted", "reused", "updated", "failed").
QString RowOutcomeName(TRowOutcome outcome);

// One handled row: its table, its key in the source (as the source holds it) and in the
// destination (none for a failed row), and whether a reference pulled it in.
struct TRowRecord {
    QString Table;
    QString SourceKey;
    std::optional<int> DestKey;
    TRowOutcome Outcome = TRowOutcome::Inserted;
    TRowFailureKind Failure = TRowFailureKind::Key;  // of a failed row
    bool PulledIn = false;
};

struct TTableCounts {
    int Inserted = 0;
    int Reused = 0;
    int Updated = 0;
    int Failed = 0;
    int PulledIn = 0;  // of the inserted and reused rows, those a nested call supplied
    QMap<TRowFailureKind, int> Failures;

    bool AnyRow() const { return Inserted + Reused + Updated + Failed > 0; }
    void Add(const TTableCounts& other);
};

class TRunCounts {
public:
    // The table's counts, added (empty) at its first mention; names ignore letter case.
    TTableCounts& Of(const QString& table);
    // Tables in the order of their first mention.
    const QStringList& Tables() const { return Names.Strings(); }
    const TTableCounts& At(int index) const { return Counts[index]; }
    TTableCounts Total() const;
    bool IsEmpty() const { return Names.IsEmpty(); }

    // Whether the run's transaction was committed: saved at the end, or kept at the user's
    // word when a stop was answered with "save".
    bool Committed = false;
    // The error that failed the run (one outside a row), for the caller to report.
    std::exception_ptr Failure;

    // Counts a handled row in its table (a failed one by its kind; pulled in only when it did
    // not fail), then hands it to RowHandled when that is set.
    void CountRow(const TRowRecord& row);
    std::function<void(const TRowRecord&)> RowHandled;

private:
    TStringList Names;
    QVector<TTableCounts> Counts;
};

// The memo's table of a run: a caption, a header, one line per table that had any row, a
// total line, then one line per table with failures naming their kinds. Columns are padded
// with blanks, so the table reads as one in a fixed-pitch font.
QStringList FormatRunCounts(const TRunCounts& counts);
