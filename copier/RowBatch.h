#pragma once
// Rows sent to the destination together, where its backend takes batches
// (TADOConnection::BatchRows). One batch serves a table's copy and every nested call under it,
// so that rows travel in the order in which they would run one at a time: a row pulled in
// through a reference joins the rows of its caller that wait, and the batch is sent when the
// caller needs the pulled row's key. The probes of all rows travel first; then, in the rows'
// order, the statements each row takes without batches (insert and probe, or update), each
// row after the batch's first insert led by its probe again. The first probes foretell which
// rows are found, the second ones prove it, so that every row meets exactly what it would have
// met alone. A batch that fails, or whose foretelling was wrong, is undone and its rows
// replayed one at a time, each failure reported as alone; when the server has ended the
// transaction instead, the run ends (ETransactionEnded) and nothing is replayed.
//
// Where every row of a batch belongs to a table whose last rows all came out new (and none
// was ever found), the batch is foreseen as new: it travels in one round trip, every row led
// by its probe, instead of two. A row found after all undoes the batch, which then goes the
// foretold way; the keys that the undone inserts drew from the destination's sequences stay
// unused.
//
// Rows of a batch do not depend on each other: the copier sends the batch before a row that
// refers to a row of the batch, that is one of them, or whose match values look like those
// of a row of its table in the batch.

#include "db/RowSet.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

class TADOConnection;
class TADOQuery;
struct TCopyPlan;
struct TKeyMaps;

class TBatchRowOwner;

struct TBatchRow {
    TBatchRowOwner* Owner = nullptr;  // the copy the row belongs to
    QString Table;
    int SourceKey = 0;
    bool Handled = true;  // false: a row already copied, which costs no statement
    bool Updates = false;  // a row found in the destination is updated
    TBatchStatement Probe, Insert, Update;
    // What the batch made of it: the destination key, and whether it was inserted or updated.
    int Result = -1;
    bool Inserted = false;
    bool Updated = false;
};

// What becomes of the rows of a batch, each in its turn: the part of the copy they belong to.
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
    explicit TRowBatch(TADOConnection& dest);  // becomes the current batch, for the calls under it
    ~TRowBatch();                              // the one before it is current again
    TRowBatch(const TRowBatch&) = delete;
    TRowBatch& operator=(const TRowBatch&) = delete;

    static TRowBatch* Current();

    bool IsEmpty() const { return Rows.empty(); }
    // Whether the source row of the table waits among the rows held.
    bool Holds(const QString& table, int sourceKey) const;
    // Whether rows of this copy wait among them.
    bool HoldsRowsOf(const TBatchRowOwner* owner) const;
    // Adds a row; the rows held are sent first when the row's match values look like those of
    // one of its table, and the batch is sent when it is full (of rows or of value bytes).
    void Add(const TBatchRow& row);
    // Sends the rows held; each then reaches its owner, in order.
    void Send();

private:
    // The probes' answers, one per handled row.
    QVector<TRowSet> Foretell(const std::vector<TBatchRow>& rows);
    // Runs the rows' own statements and notes what became of each; false when a row met other
    // than foretold (the batch is then undone). leadEveryRow: the first row too is led by its
    // probe, which proves what was foreseen rather than foretold.
    bool Write(std::vector<TBatchRow>& rows, const QVector<TRowSet>& foretold, bool leadEveryRow = false);
    // Written in one round trip where every row is foreseen as new, else foretold first.
    bool WriteHandledRows(std::vector<TBatchRow>& rows);
    bool ForeseenNew(const std::vector<TBatchRow>& rows) const;
    void NoteOutcomes(const std::vector<TBatchRow>& rows);
    void ForgetNewRuns(const std::vector<TBatchRow>& rows);

    TADOConnection& Dest;
    int MaxRows;
    int Capacity;
    std::vector<TBatchRow> Rows;
    qsizetype Bytes = 0;  // of the values the rows hold
    QSet<QString> Keys;
    QSet<QString> MatchValues;
    QHash<QString, int> NewInARow;  // per table: its last rows written, all inserted
    QSet<QString> FoundSome;        // tables a row of which was found in the destination
    TRowBatch* Previous;
};

// Whether every reference of the source's current row names a row copied already, so that
// the row needs no nested copy and may travel in a batch.
bool ReferencesCopied(const TCopyPlan& plan, const TADOQuery& source, const TKeyMaps& keyMaps);

// The match values of a probe as a text that rows which may match the same destination row
// share: letter case, blanks around a text and digits beyond the twelfth are left out.
QString LooseMatchValues(const TBatchStatement& probe);
