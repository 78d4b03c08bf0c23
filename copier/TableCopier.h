#pragma once
// One call of CopyTableRows at work: the copy of the chosen rows of one table, its statements
// and the state of the row being handled. RowCopier.cpp copies the rows; TableCopierBatch.cpp
// is the part that hands them to the destination's batches (RowBatch.h). Used by those two
// files only.

#include "copier/CopyPlan.h"
#include "copier/RowBatch.h"
#include "copier/RowParameters.h"
#include "copier/RunCounts.h"
#include "copier/SourceReadAhead.h"
#include "db/ADOQuery.h"
#include "support/StringList.h"

#include <QHash>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

struct TKeyMaps;

// A reference of the current row to a row still in progress up the call chain.
struct TCycleReference {
    int Position = 0;
    QString Table;
    int Key = 0;
};

class TTableCopier : public TBatchRowOwner {
public:
    TTableCopier(const QString& table, TKeyMaps& keyMaps, const TStringList& matchTables,
                 const TStringList& matchColumns, TADOConnection& source, TADOConnection& dest, bool nested)
        : Table(table), KeyMaps(keyMaps), MatchTables(matchTables), MatchColumns(matchColumns), Source(source),
          Dest(dest), Nested(nested), InsertQuery(&dest), UpdateQuery(&dest), ProbeQuery(&dest),
          SourceQuery(&source) {}

    int Run(const QString& selection, bool keyFirst);

    void FinishRow(const TBatchRow& row) override;
    void ReplayRow(const TBatchRow& row) override;

private:
    class TCurrentRowKeeper {
    public:
        explicit TCurrentRowKeeper(TTableCopier& copier);
        ~TCurrentRowKeeper();

    private:
        TTableCopier& Copier;
        std::vector<TCycleReference> Cycles;
        bool Inserted, Updated;
        TRowFailureKind Step;
        QVector<TBoundParam> Probe, Insert, Update;
    };

    void PrepareStatements(const QString& selection, bool keyFirst);
    int HandleRow(int sourceKey);
    bool RowNeedsHandling(int result) const;
    void BindColumns();
    void BindReference(int position, const QString& referenced, int sourceValue);
    void BindInteger(int position, int value);
    void BindNull(int position);
    void BindField(int position, const TField& field);
    int ProbeOrInsert(int sourceKey);
    void ExecuteWriting(TADOQuery& statement);
    int RecordRow(int sourceKey, int result);
    void AskAfterUserStop();
    void FailRow(std::optional<int> sourceKey, const QString& message);
    void ReportFailedRow(TRowFailureKind step, const QString& keyText, const QString& message);
    void CountHandledRow(int sourceKey, int destKey);
    void CountProgress();
    int AddToBatch(int sourceKey);
    int AddCopiedToBatch(int sourceKey, int result);
    TBatchRow BatchRowOf(int sourceKey);
    void SettleRow(const TBatchRow& row);
    void ReadPulledRowsAhead();
    void ReportNestedInsert(int sourceKey);

    const QString Table;
    TKeyMaps& KeyMaps;
    const TStringList& MatchTables;
    const TStringList& MatchColumns;
    TADOConnection& Source;
    TADOConnection& Dest;
    const bool Nested;
    bool KeyFirst = false;

    TCopyPlan Plan;
    TADOQuery InsertQuery;
    TADOQuery UpdateQuery;
    TADOQuery ProbeQuery;
    TADOQuery SourceQuery;
    TRowParameters Parameters;
    int RowCount = 0;

    // State of the row being handled; Step names what it was doing when it failed.
    TRowFailureKind Step = TRowFailureKind::Key;
    std::vector<TCycleReference> Cycles;
    bool Inserted = false;
    bool Updated = false;

    // Where the destination takes batches: the batch the rows travel in (RowBatch.h), this
    // call's own for a table's copy, its caller's for a nested call; the result of the last
    // row of this call that the batch settled.
    std::unique_ptr<TRowBatch> OwnBatch;
    TRowBatch* Batch = nullptr;
    int BatchResult = -1;
    QHash<int, std::vector<TCycleReference>> PendingCycles;  // of rows in the batch, by source key
    // The source rows read ahead for the rows this call pulls in, where the source takes batches.
    std::unique_ptr<TSourceRowCache> ReadAhead;
};
