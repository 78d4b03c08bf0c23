#pragma once
// The key maps of one run: per table a map from source key to destination key, shared by
// every CopyTableRows call of the run, nested ones included. Beside them the run keeps the
// rows being copied up the call chain, so that a row-level reference cycle is recognised,
// and the references that such a cycle made wait for their row's destination key.

#include "support/KeyMap.h"
#include "support/StringList.h"

#include <QString>
#include <memory>
#include <vector>

class TADOConnection;
class TRunCounts;

// A source row whose copy has begun further up the call chain and has not ended yet.
struct TRowInProgress {
    QString Table;
    int Key = 0;
};

// A column of a copied row that was written as NULL because it refers to a row still in
// progress; it is set once that row has its destination key.
struct TDeferredReference {
    QString AwaitedTable;   // the referenced table and its source key
    int AwaitedKey = 0;
    QString Table;          // the referencing row: its source key, and where it is in the destination
    int SourceKey = 0;
    QString KeyColumn;
    int DestKey = 0;
    QString Column;
    int Position = 0;       // the column's position in its table's column list
};

struct TKeyMaps {
    TStringList Names;                                 // table names, looked up ignoring case
    std::vector<std::unique_ptr<TKeyMap>> Maps;        // parallel to Names
    std::vector<TRowInProgress> InProgress;            // innermost last
    std::vector<TDeferredReference> Deferred;
    // Where the run counts its rows, when it does (not owned).
    TRunCounts* Counts = nullptr;
    // The run holds a transaction on the destination: after a statement fails, whether it
    // still stands is asked (StopWhenTransactionEnded).
    bool InTransaction = false;

    // Appends a table with a new, empty map; returns its index.
    int AddTable(const QString& table);
    // The table's map, or nullptr when the table has none yet.
    TKeyMap* MapOf(const QString& table) const;
    // The destination key of a source row already copied.
    bool Lookup(const QString& table, int sourceKey, int& destKey) const;
    // Records a copied row and returns its destination key as the map holds it. A source key
    // is recorded once: when it is there already nothing changes and destKey is returned.
    int Record(const QString& table, int sourceKey, int destKey);

    bool IsInProgress(const QString& table, int sourceKey) const;
};

// Marks a source row as being copied for as long as the guard lives.
class TRowInProgressGuard {
public:
    TRowInProgressGuard(TKeyMaps& maps, const QString& table, int key);
    ~TRowInProgressGuard();
    TRowInProgressGuard(const TRowInProgressGuard&) = delete;
    TRowInProgressGuard& operator=(const TRowInProgressGuard&) = delete;

private:
    TKeyMaps& Maps;
};

// Sets every deferred reference that waits for the row (table, sourceKey), now known in the
// destination as destKey, by one update each. A failing update is reported as a failure of
// the referencing row; the awaited row stays copied.
void ApplyDeferredReferences(TKeyMaps& maps, const QString& table, int sourceKey, int destKey,
                             TADOConnection& dest);

// Drops the references that wait for a row that could not be copied: they stay NULL, and
// each is reported as a failure of its referencing row.
void DropDeferredReferences(TKeyMaps& maps, const QString& table, int sourceKey);
