#pragma once
// Source rows read ahead for the rows that a table's copy pulls in through references. Where
// both databases take batches, one statement per referenced table reads the rows that the
// rest of the selection refers to and the run has not copied yet, and the nested call that
// copies such a row takes it from here instead of asking the source for it alone. The source
// does not change during a run, so the row is the one that call would have read.

#include "db/RowSet.h"
#include "support/StringList.h"

#include <QHash>
#include <QString>

class TADOConnection;
class TADOQuery;
struct TCopyPlan;
struct TKeyMaps;

class TSourceRowCache {
public:
    TSourceRowCache();   // becomes the current one, for the nested calls under it
    ~TSourceRowCache();  // the one before it is current again
    TSourceRowCache(const TSourceRowCache&) = delete;
    TSourceRowCache& operator=(const TSourceRowCache&) = delete;

    static TSourceRowCache* Current();

    // The source row of the call up to which the rows it refers to are read ahead.
    int ReadUpTo = 0;
    // The rows read for the table's key (none when the source holds no such row), handed over
    // once; false when they were not read ahead.
    bool Take(const QString& table, int key, TRowSet& rows);
    void Keep(const QString& table, int key, const TRowSet& rows);

private:
    QHash<QString, TRowSet> Rows;
    TSourceRowCache* Previous;
};

// Reads ahead what the next source rows of the plan's table, from the query's current row on,
// refer to and the run has not copied: one statement per referenced table and few hundred
// keys, for a window of rows that the query reads ahead, so that what is read ahead stays
// small. A table whose rows cannot be read ahead is left to the nested calls, which meet its
// error themselves.
void ReadReferencedRowsAhead(const TCopyPlan& plan, TADOQuery& source, const TKeyMaps& keyMaps,
                             const TStringList& matchTables, const TStringList& matchColumns,
                             TADOConnection& sourceConnection, TADOConnection& dest, TSourceRowCache& cache);

// Opens the query on the rows read ahead for a nested call's selection (one key of the table);
// false when there are none.
bool OpenReadAhead(TADOQuery& query, const QString& table, const QString& selection);
