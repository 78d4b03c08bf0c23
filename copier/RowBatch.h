#pragma once
// Rows of one table sent to the destination together, where its backend takes batches
// (TADOConnection::BatchRows): the probes of all rows travel in one batch, then, in the rows'
// order, the statements each row takes without batches (insert and probe, or update), each
// row after the first insert led by its probe again. The first probes foretell which rows are
// found; the second ones prove it, so that every row meets exactly what it would have met
// alone. A row pulled in through a reference travels in a batch of its own: two waits for the
// server instead of three. A batch that fails, or whose foretelling was wrong, is
// undone and its rows replayed one at a time, each failure reported as alone; when the server
// has ended the transaction instead, the run ends (ETransactionEnded) and nothing is replayed.
//
// Rows of a batch do not depend on each other: the table copier holds a row back until the
// batch is sent when it refers to a row not copied yet, when it is a row of the batch, or
// when its match values look like those of a row of the batch.

#include "db/RowSet.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

class TADOConnection;
class TADOQuery;
struct TCopyPlan;
struct TKeyMaps;

struct TBatchRow {
    int SourceKey = 0;
    bool Handled = true;  // false: a row already copied, which costs no statement
    TBatchStatement Probe, Insert, Update;
    // What the batch made of it: the destination key, and whether it was inserted or updated.
    int Result = -1;
    bool Inserted = false;
    bool Updated = false;
};

// What becomes of the rows of a batch, each in its turn: the table copier's part.
class TBatchRowOwner {
public:
    virtual ~TBatchRowOwner() = default;
    // A row the batch copied (Result, Inserted and Updated say how), or one it did not handle.
    virtual void FinishRow(const TBatchRow& row) = 0;
    // A row handled alone, as without batches, after its batch was undone.
    virtual void ReplayRow(const TBatchRow& row) = 0;
};

class TRowBatch {
public:
    // updates: a row found in the destination is updated.
    TRowBatch(TADOConnection& dest, bool updates, TBatchRowOwner& owner);

    bool IsEmpty() const { return Rows.empty(); }
    // Whether the source row waits among the rows held.
    bool Holds(int sourceKey) const { return Keys.contains(sourceKey); }
    // Adds a row; the rows held are sent first when the row's match values look like those of
    // one of them, and the batch is sent when it is full.
    void Add(const TBatchRow& row);
    // Sends the rows held; each then reaches the owner, in order.
    void Send();

private:
    // The probes' answers, one per handled row.
    QVector<TRowSet> Foretell();
    // Runs the rows' own statements; false when a row met other than foretold (the batch is
    // then undone).
    bool Write(const QVector<TRowSet>& foretold);

    TADOConnection& Dest;
    const bool Updates;
    TBatchRowOwner& Owner;
    int MaxRows;
    int Capacity;
    std::vector<TBatchRow> Rows;
    QSet<int> Keys;
    QSet<QString> MatchValues;
};

// Whether every reference of the source's current row names a row copied already, so that
// the row needs no nested copy and may travel in a batch.
bool ReferencesCopied(const TCopyPlan& plan, const TADOQuery& source, const TKeyMaps& keyMaps);

// The match values of a probe as a text that rows which may match the same destination row
// share: letter case, blanks around a text and digits beyond the twelfth are left out.
QString LooseMatchValues(const TBatchStatement& probe);
