// The table copier's side of the destination's batches: rows handed to the batch, and the
// rows the batch settles or hands back to be replayed alone.

#include "copier/TableCopier.h"

#include "copier/KeyMaps.h"
#include "copier/ParamSetters.h"
#include "db/DatabaseInUse.h"
#include "copier/Transaction.h"
#include "db/RunEnding.h"

#include <exception>

// The row's columns are bound: it travels in the batch, which settles it later.
int TTableCopier::AddToBatch(int sourceKey) {
    TBatchRow row = BatchRowOf(sourceKey);
    row.Updates = Plan.HasSetList && !Nested;
    row.Probe = {ProbeQuery.SQL(), ProbeQuery.BoundParameters(), true};
    row.Insert = {InsertQuery.SQL(), InsertQuery.BoundParameters(), false};
    row.Update = {UpdateQuery.SQL(), UpdateQuery.BoundParameters(), false};
    // The references that wait for a cycle to close are the row's until the batch settles it.
    if (!Cycles.empty()) PendingCycles.insert(sourceKey, Cycles);
    Batch->Add(row);
    SourceQuery.Next();
    return -1;
}

// A row copied earlier waits for the rows of this call before it, so that each is counted in its turn.
int TTableCopier::AddCopiedToBatch(int sourceKey, int result) {
    TBatchRow row = BatchRowOf(sourceKey);
    row.Handled = false;
    row.Result = result;
    Batch->Add(row);
    SourceQuery.Next();
    return result;
}

TBatchRow TTableCopier::BatchRowOf(int sourceKey) {
    TBatchRow row;
    row.Owner = this;
    row.Table = Table;
    row.SourceKey = sourceKey;
    return row;
}

// Before a row whose references are not copied yet, the source rows that the next rows of the
// selection refer to are read ahead, so that each row pulled in costs no statement of its own
// on the source.
void TTableCopier::ReadPulledRowsAhead() {
    ReadReferencedRowsAhead(Plan, SourceQuery, KeyMaps, MatchTables, MatchColumns, Source, Dest, *ReadAhead);
}

// Settling a row of the batch may come in the middle of another row of this call (a nested
// call sends the batch while the row binds its columns): that row's state is kept.
TTableCopier::TCurrentRowKeeper::TCurrentRowKeeper(TTableCopier& copier)
    : Copier(copier), Cycles(copier.Cycles), Inserted(copier.Inserted), Updated(copier.Updated), Step(copier.Step),
      Probe(copier.ProbeQuery.BoundParameters()), Insert(copier.InsertQuery.BoundParameters()),
      Update(copier.UpdateQuery.BoundParameters()) {}

TTableCopier::TCurrentRowKeeper::~TCurrentRowKeeper() {
    Copier.Cycles = Cycles;
    Copier.Inserted = Inserted;
    Copier.Updated = Updated;
    Copier.Step = Step;
    SetBoundParams(Copier.ProbeQuery, Probe);
    SetBoundParams(Copier.InsertQuery, Insert);
    SetBoundParams(Copier.UpdateQuery, Update);
}

void TTableCopier::FinishRow(const TBatchRow& row) {
    const TCurrentRowKeeper keeper(*this);
    if (row.Inserted && Nested) ReportNestedInsert(row.SourceKey);
    SettleRow(row);
}

void TTableCopier::SettleRow(const TBatchRow& row) {
    BatchResult = row.Result;
    if (row.Handled) {
        Cycles = PendingCycles.take(row.SourceKey);
        Inserted = row.Inserted;
        Updated = row.Updated;
        BatchResult = RecordRow(row.SourceKey, row.Result);
        CountHandledRow(row.SourceKey, BatchResult);
    }
    CountProgress();
}

void TTableCopier::ReplayRow(const TBatchRow& row) {
    const TCurrentRowKeeper keeper(*this);
    SetBoundParams(ProbeQuery, row.Probe.Params);
    SetBoundParams(InsertQuery, row.Insert.Params);
    SetBoundParams(UpdateQuery, row.Update.Params);
    Cycles = PendingCycles.value(row.SourceKey);
    Inserted = Updated = false;
    try {
        TBatchRow settled = row;
        settled.Result = ProbeOrInsert(row.SourceKey);
        settled.Inserted = Inserted;
        settled.Updated = Updated;
        SettleRow(settled);
    } catch (const ERunEnding&) {
        throw;
    } catch (const EDatabaseInUse&) {
        throw;
    } catch (const Exception& e) {
        BatchResult = -1;
        PendingCycles.remove(row.SourceKey);
        ReportFailedRow(Step, QString::number(row.SourceKey), e.message());
        DropDeferredReferences(KeyMaps, Table, row.SourceKey);
        StopWhenTransactionEnded(Dest, KeyMaps.InTransaction, e.message());
    } catch (const std::exception& e) {
        BatchResult = -1;
        PendingCycles.remove(row.SourceKey);
        ReportFailedRow(Step, QString::number(row.SourceKey), QString::fromUtf8(e.what()));
        DropDeferredReferences(KeyMaps, Table, row.SourceKey);
        StopWhenTransactionEnded(Dest, KeyMaps.InTransaction, QString::fromUtf8(e.what()));
    }
}

