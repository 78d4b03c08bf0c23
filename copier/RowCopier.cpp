#include "copier/RowCopier.h"

#include "copier/Callbacks.h"
#include "copier/CopierLog.h"
#include "copier/KeyMaps.h"
#include "copier/TableCopier.h"
#include "copier/Transaction.h"
#include "db/DatabaseInUse.h"
#include "db/RawText.h"
#include "db/RunEnding.h"
#include "support/EAbort.h"

#include <exception>
#include <optional>

namespace {

const QString CannotSupplyMessage = QStringLiteral(
    "Данную запись нельзя добавлять, т.к. все элементы, которые разрешено было добавить уже добавлены.");
const QString StoppedMessage = QStringLiteral("Операция прервана пользователем");

}  // namespace

int TTableCopier::Run(const QString& selection, bool keyFirst) {
    KeyFirst = keyFirst;
    if (KeyMaps.Counts) KeyMaps.Counts->Of(Table);  // the table takes its place in the counts' order
    PrepareStatements(selection, keyFirst);
    if (!Nested && Dest.BatchRows() > 1) OwnBatch = std::make_unique<TRowBatch>(Dest);
    Batch = OwnBatch ? OwnBatch.get() : TRowBatch::Current();
    if (OwnBatch && Source.BatchRows() > 1) ReadAhead = std::make_unique<TSourceRowCache>();
    int result = -1;
    while (!SourceQuery.Eof()) {
        // Reading the key belongs to the row: a key that is no integer fails that row only.
        std::optional<int> sourceKey;
        try {
            result = -1;
            Step = TRowFailureKind::Key;
            sourceKey = SourceQuery.Fields(0).AsInteger();
            result = HandleRow(*sourceKey);
        } catch (const TExitException&) {
            throw;
        } catch (const EDatabaseInUse&) {
            // Every further row would wait for the same lock: the run ends instead.
            throw;
        } catch (const ETransactionEnded&) {
            throw;
        } catch (const ERunEnding& e) {
            // Every further row would meet the same error; a transaction it ended says so.
            StopWhenTransactionEnded(Dest, KeyMaps.InTransaction, e.message());
            throw;
        } catch (const EAbort&) {
            result = -1;
            AskAfterUserStop();
        } catch (const Exception& e) {
            result = -1;
            StopWhenTransactionEnded(Dest, KeyMaps.InTransaction, e.message());
            FailRow(sourceKey, e.message());
        } catch (const std::exception& e) {
            result = -1;
            StopWhenTransactionEnded(Dest, KeyMaps.InTransaction, QString::fromUtf8(e.what()));
            FailRow(sourceKey, QString::fromUtf8(e.what()));
        }
    }
    // The caller of a nested call needs the key now; a table's copy ends with its rows settled.
    if (Batch && Batch->HoldsRowsOf(this)) {
        Batch->Send();
        result = BatchResult;
    }
    SourceQuery.Close();
    return result;
}

void TTableCopier::PrepareStatements(const QString& selection, bool keyFirst) {
    Plan = PrepareCopyPlan(Table, selection, MatchTables, MatchColumns, Source, Dest, keyFirst);
    InsertQuery.SetSQL(Plan.InsertText);
    UpdateQuery.SetSQL(Plan.UpdateText);
    ProbeQuery.SetSQL(Plan.ProbeText);
    SourceQuery.SetSQL(Plan.SourceText);
    Parameters.Find(Plan, InsertQuery, UpdateQuery, ProbeQuery);
    // A table's own selection may hold any number of rows: they are read as they are copied.
    if (!OpenReadAhead(SourceQuery, Table, selection)) SourceQuery.OpenStreamed();
}

int TTableCopier::HandleRow(int sourceKey) {
    if (Batch && Batch->Holds(Table, sourceKey)) Batch->Send();
    int result = -1;
    int mapped = 0;
    if (KeyMaps.Lookup(Table, sourceKey, mapped)) result = mapped;
    if (RowNeedsHandling(result)) {
        if (ReadAhead && SourceQuery.CurrentRow() >= ReadAhead->ReadUpTo && !ReferencesCopied(Plan, SourceQuery, KeyMaps))
            ReadPulledRowsAhead();
        // References name rows by their primary key; a row keyed by its first match column
        // cannot be told apart from them, so it is not marked (a cycle through it is still
        // caught one level further down, where the row is copied by its primary key).
        std::optional<TRowInProgressGuard> inProgress;
        if (!KeyFirst) inProgress.emplace(KeyMaps, Table, sourceKey);
        Cycles.clear();
        Inserted = Updated = false;
        BindColumns();
        if (Batch) return AddToBatch(sourceKey);
        result = ProbeOrInsert(sourceKey);
        result = RecordRow(sourceKey, result);
        CountHandledRow(sourceKey, result);
    } else if (Batch && Batch->HoldsRowsOf(this)) {
        return AddCopiedToBatch(sourceKey, result);
    }
    CountProgress();
    SourceQuery.Next();
    return result;
}

void TTableCopier::CountProgress() {
    ++RowCount;
    if (OnRowProgress) OnRowProgress(Table, RowCount);
}

// A row already copied costs nothing, except where the key itself is copied and several
// match columns decide: such a row is looked up and written again.
bool TTableCopier::RowNeedsHandling(int result) const {
    return result < 0 || (Plan.FirstCopied == 0 && Plan.MatchColumns.Count() >= 2);
}

void TTableCopier::BindColumns() {
    for (int p = Plan.FirstCopied; p < Plan.Columns.Count(); ++p) {
        if (OnCheckAbort) OnCheckAbort();
        const TField field = SourceQuery.Fields(p);
        const QString& referenced = Plan.References[p - Plan.FirstCopied];
        const bool reference = !field.IsNull() && !referenced.isEmpty();
        Step = reference ? TRowFailureKind::Reference : TRowFailureKind::Value;
        if (reference)
            BindReference(p, referenced, field.AsInteger());
        else
            BindField(p, field);
    }
}

void TTableCopier::BindReference(int position, const QString& referenced, int sourceValue) {
    int value = 0;
    // A row of the batch is settled first, so that its key is known.
    if (Batch && Batch->Holds(referenced, sourceValue)) Batch->Send();
    if (!KeyMaps.Lookup(referenced, sourceValue, value)) {
        if (KeyMaps.IsInProgress(referenced, sourceValue)) {
            // The referenced row waits for this one further up the chain: write NULL now and
            // set the reference once that row has its destination key.
            Cycles.push_back({position, referenced, sourceValue});
            BindNull(position);
            return;
        }
        value = CopyTableRows(referenced, QString::number(sourceValue), KeyMaps, MatchTables, MatchColumns, Source,
                              Dest, true, false);
    }
    if (value == -1) throw Exception(CannotSupplyMessage);
    BindInteger(position, value);
}

void TTableCopier::BindInteger(int position, int value) { Parameters.Set(position, TFieldType::ftInteger, value); }

void TTableCopier::BindNull(int position) { Parameters.Set(position, TFieldType::ftInteger, QVariant()); }

void TTableCopier::BindField(int position, const TField& field) {
    const QVariant value = field.Value();
    // Bytes that are no UTF-8 arrive as they are, or not at all: never as other text.
    if (IsRawText(value) && !Dest.KeepsRawText())
        throw Exception(QStringLiteral("значение столбца ") + Plan.Columns[position] +
                        QStringLiteral(" не является текстом в кодировке UTF-8 (байты ") +
                        QString::fromLatin1(value.value<TRawText>().Bytes.toHex(' ').toUpper()) +
                        QStringLiteral("), база-приемник не может сохранить его без изменений"));
    Parameters.Set(position, field.DataType(), value.isNull() ? QVariant() : value);
}

int TTableCopier::ProbeOrInsert(int sourceKey) {
    Step = TRowFailureKind::Probe;
    ProbeQuery.Close();
    ProbeQuery.Open();
    if (ProbeQuery.IsEmpty()) {
        Step = TRowFailureKind::Insert;
        ExecuteWriting(InsertQuery);
        Inserted = true;
        Step = TRowFailureKind::Probe;
        if (Nested) ReportNestedInsert(sourceKey);
        ProbeQuery.Close();
        ProbeQuery.Open();
        // Recording any other key would send every reference to this row to a wrong row.
        if (ProbeQuery.IsEmpty())
            throw Exception(QStringLiteral("добавленная запись не найдена в таблице ") + Table +
                            QStringLiteral(" по столбцам сопоставления, её код в базе-приемнике неизвестен"));
    } else if (Plan.HasSetList && !Nested) {
        Step = TRowFailureKind::Update;
        ExecuteWriting(UpdateQuery);
        Updated = true;
    }
    const int result = ProbeQuery.Fields(0).AsInteger();
    ProbeQuery.Close();
    return result;
}

// Executes the insert or the update; when the row carries a NULL for a cycle, a refusal is
// explained by that cycle.
void TTableCopier::ExecuteWriting(TADOQuery& statement) {
    try {
        statement.ExecSQL();
    } catch (const ERunEnding&) {
        throw;
    } catch (const Exception& e) {
        if (Cycles.empty()) throw;
        const TCycleReference& cycle = Cycles.front();
        throw Exception(QStringLiteral("запись ссылается по столбцу ") + Plan.Columns[cycle.Position] +
                        QStringLiteral(" на запись таблицы ") + cycle.Table + QStringLiteral(" с кодом ") +
                        QString::number(cycle.Key) +
                        QStringLiteral(", которая ссылается на неё же (циклическая ссылка); записать её с пустой "
                                       "ссылкой не удалось: ") +
                        e.message());
    }
}

void TTableCopier::ReportNestedInsert(int sourceKey) {
    ReportCopierLine(QStringLiteral("  Добавлена запись в таблицу ") + Table + QStringLiteral(" с кодом ") +
                     QString::number(sourceKey));
}

int TTableCopier::RecordRow(int sourceKey, int result) {
    result = KeyMaps.Record(Table, sourceKey, result);
    for (const TCycleReference& cycle : Cycles) {
        // A found row of a nested call is left as it is, and so is a column the update
        // did not write.
        if (!Inserted && !(Updated && Plan.InSetList[cycle.Position])) continue;
        KeyMaps.Deferred.push_back({cycle.Table, cycle.Key, Table, sourceKey, Plan.KeyColumn(), result,
                                    Plan.Columns[cycle.Position], cycle.Position});
    }
    ApplyDeferredReferences(KeyMaps, Table, sourceKey, result, Dest);
    return result;
}

void TTableCopier::AskAfterUserStop() {
    // The rows before the stopped one are settled first, as they were before it without batches.
    if (Batch) Batch->Send();
    const TMsgDlgButtons yesNo = TMsgDlgBtn::mbYes | TMsgDlgBtn::mbNo;
    if (ShowCenteredMessage(QStringLiteral("Операция прервана пользователем. Продолжить?"),
                            TMsgDlgType::mtConfirmation, yesNo) != mrNo)
        return;  // the source was not advanced: the same row is handled again
    const bool save = ShowCenteredMessage(QStringLiteral("Сохранить уже перенесенные данные?"),
                                          TMsgDlgType::mtConfirmation, yesNo) == mrYes;
    ReportCopierLine(save ? QStringLiteral("Импорт прерван пользователем, изменения БУДУТ ВНЕСЕНЫ в базу")
                          : QStringLiteral("Импорт прерван пользователем, изменения НЕ ВНЕСЕНЫ в базу"));
    // Nothing may keep the stop from ending the run: an error here would otherwise be taken
    // for a row error further up, and the copy would go on.
    try {
        if (OnFinish) OnFinish();
    } catch (const Exception& e) {
        LogCopierLine(e.message());
    } catch (const std::exception& e) {
        LogCopierLine(QString::fromUtf8(e.what()));
    }
    std::exception_ptr refusal;
    const bool ended = EndTransaction(Dest, save, &refusal);
    throw TExitException(StoppedMessage, save && ended, refusal);
}

void TTableCopier::CountHandledRow(int sourceKey, int destKey) {
    if (!KeyMaps.Counts) return;
    const TRowOutcome outcome = Inserted ? TRowOutcome::Inserted : Updated ? TRowOutcome::Updated : TRowOutcome::Reused;
    KeyMaps.Counts->CountRow({Table, QString::number(sourceKey), destKey, outcome, {}, Nested});
}

void TTableCopier::FailRow(std::optional<int> sourceKey, const QString& message) {
    const TRowFailureKind step = Step;
    // The rows before this one are settled and reported first.
    if (Batch) Batch->Send();
    // A key that could not be read as an integer is named as the source holds it.
    const QString keyText = sourceKey ? QString::number(*sourceKey) : SourceQuery.Fields(0).AsString();
    SourceQuery.Next();
    ReportFailedRow(step, keyText, message);
    if (sourceKey) DropDeferredReferences(KeyMaps, Table, *sourceKey);
}

void TTableCopier::ReportFailedRow(TRowFailureKind step, const QString& keyText, const QString& message) {
    if (KeyMaps.Counts) KeyMaps.Counts->CountRow({Table, keyText, std::nullopt, TRowOutcome::Failed, step, Nested});
    ReportRowFailure(Table, keyText, message);
}

int CopyTableRows(const QString& table, const QString& selection, TKeyMaps& keyMaps,
                  const TStringList& matchTables, const TStringList& matchColumns, TADOConnection& source,
                  TADOConnection& dest, bool nested, bool keyFirst) {
    TTableCopier copier(table, keyMaps, matchTables, matchColumns, source, dest, nested);
    return copier.Run(selection, keyFirst);
}
