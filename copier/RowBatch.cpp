// Rows sent to the destination together: foretold, written and proven, or replayed one at a time.

#include "copier/RowBatch.h"

#include "copier/CopyPlan.h"
#include "copier/KeyMaps.h"
#include "db/ADOQuery.h"
#include "db/DatabaseInUse.h"
#include "copier/Transaction.h"
#include "db/RunEnding.h"
#include "db/ValueBinding.h"

#include <algorithm>
#include <limits>

namespace {

// A batch never shrinks below this after failures: a batch of a few rows still costs fewer
// waits for the server than the rows alone.
constexpr int SmallestBatch = 8;

// What the values of a batch may take at most: the whole batch is queued at once, and a
// table of large pictures must not hold hundreds of them in memory.
constexpr qsizetype BatchValueBytes = 8 * 1024 * 1024;

// How many rows of a table in a row must have come out new before its rows are foreseen as
// new: a dictionary pulled in by a title rarely reaches it, a title's own tables at once.
constexpr int ForeseenAfter = 16;

TRowBatch* CurrentBatch = nullptr;

qsizetype ValueBytes(const TBatchStatement& statement) {
    qsizetype bytes = 0;
    for (const TBoundParam& param : statement.Params) {
        const int type = param.Value.typeId();
        bytes += type == QMetaType::QByteArray ? param.Value.toByteArray().size()
                 : type == QMetaType::QString  ? param.Value.toString().size() * 2
                                               : 16;
    }
    return bytes;
}

QString RowKey(const QString& table, int sourceKey) { return table + QLatin1Char('|') + QString::number(sourceKey); }

// The destination key in the first row of a probe's answer, as a whole number.
bool KeyOf(const TRowSet& rows, int& key) {
    if (rows.Rows.isEmpty() || rows.Rows.front().isEmpty()) return false;
    bool ok = false;
    const qlonglong value = rows.Rows.front().front().toLongLong(&ok);
    if (!ok || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) return false;
    key = static_cast<int>(value);
    return true;
}

bool IsNumber(const TBoundParam& param) {
    switch (param.Value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return IsExactDecimalType(param.DataType) || param.DataType == TFieldType::ftFloat;
    }
}

QString LooseValue(const TBoundParam& param) {
    if (param.Value.isNull()) return QStringLiteral("\u2205");
    if (IsNumber(param)) {
        bool ok = false;
        const double number = param.Value.toDouble(&ok);
        if (ok) return QString::number(number, 'g', 12);
    }
    if (param.Value.typeId() == QMetaType::QByteArray) return QString::fromLatin1(param.Value.toByteArray().toHex());
    return param.Value.toString().toCaseFolded().simplified();
}

}  // namespace

bool ReferencesCopied(const TCopyPlan& plan, const TADOQuery& source, const TKeyMaps& keyMaps) {
    int destKey = 0;
    for (int p = plan.FirstCopied; p < plan.Columns.Count(); ++p) {
        const QString& referenced = plan.References[p - plan.FirstCopied];
        const TField field = source.Fields(p);
        if (!referenced.isEmpty() && !field.IsNull() && !keyMaps.Lookup(referenced, field.AsInteger(), destKey))
            return false;
    }
    return true;
}

QString LooseMatchValues(const TBatchStatement& probe) {
    QStringList values;
    for (const TBoundParam& param : probe.Params) values.append(LooseValue(param));
    return values.join(QChar(0x1F));
}

TRowBatch::TRowBatch(TADOConnection& dest)
    : Dest(dest), MaxRows(std::max(dest.BatchRows(), SmallestBatch)), Capacity(MaxRows), Previous(CurrentBatch) {
    CurrentBatch = this;
}

TRowBatch::~TRowBatch() { CurrentBatch = Previous; }

TRowBatch* TRowBatch::Current() { return CurrentBatch; }

bool TRowBatch::Holds(const QString& table, int sourceKey) const { return Keys.contains(RowKey(table, sourceKey)); }

bool TRowBatch::HoldsRowsOf(const TBatchRowOwner* owner) const {
    return std::any_of(Rows.begin(), Rows.end(), [owner](const TBatchRow& row) { return row.Owner == owner; });
}

void TRowBatch::Add(const TBatchRow& row) {
    const QString match = row.Handled ? row.Table + QChar(0x1E) + LooseMatchValues(row.Probe) : QString();
    // A row inserted by the batch must be found by a later row with the same match values.
    if (row.Handled && MatchValues.contains(match)) Send();
    Rows.push_back(row);
    Keys.insert(RowKey(row.Table, row.SourceKey));
    if (row.Handled) MatchValues.insert(match);
    Bytes += ValueBytes(row.Probe) + ValueBytes(row.Insert) + ValueBytes(row.Update);
    if (static_cast<int>(Rows.size()) >= Capacity || Bytes >= BatchValueBytes) Send();
}

void TRowBatch::Send() {
    if (Rows.empty()) return;
    // Taken out first: whatever happens, no row is sent twice.
    std::vector<TBatchRow> rows;
    rows.swap(Rows);
    Keys.clear();
    MatchValues.clear();
    Bytes = 0;
    const bool anyHandled = std::any_of(rows.begin(), rows.end(), [](const TBatchRow& row) { return row.Handled; });
    bool written = !anyHandled;
    if (anyHandled) {
        try {
            written = WriteHandledRows(rows);
        } catch (const ERunEnding&) {
            throw;
        } catch (const EDatabaseInUse&) {
            throw;
        } catch (const EDatabaseError& error) {
            // What failed was undone with its batch, unless the server ended the transaction.
            StopWhenTransactionEnded(Dest, true, error.message());
        }
        if (written) NoteOutcomes(rows);
        else ForgetNewRuns(rows);
    }
    Capacity = written ? std::min(MaxRows, Capacity * 2) : std::max(SmallestBatch, Capacity / 2);
    for (const TBatchRow& row : rows) {
        if (written || !row.Handled) row.Owner->FinishRow(row);
        else row.Owner->ReplayRow(row);
    }
}

bool TRowBatch::WriteHandledRows(std::vector<TBatchRow>& rows) {
    if (ForeseenNew(rows)) {
        const auto handled = std::count_if(rows.begin(), rows.end(), [](const TBatchRow& row) { return row.Handled; });
        if (Write(rows, QVector<TRowSet>(static_cast<qsizetype>(handled)), true)) return true;
        ForgetNewRuns(rows);
    }
    return Write(rows, Foretell(rows));
}

bool TRowBatch::ForeseenNew(const std::vector<TBatchRow>& rows) const {
    return std::all_of(rows.begin(), rows.end(), [this](const TBatchRow& row) {
        return !row.Handled || (!FoundSome.contains(row.Table) && NewInARow.value(row.Table) >= ForeseenAfter);
    });
}

void TRowBatch::NoteOutcomes(const std::vector<TBatchRow>& rows) {
    for (const TBatchRow& row : rows) {
        if (!row.Handled) continue;
        if (row.Inserted) {
            ++NewInARow[row.Table];
        } else {
            FoundSome.insert(row.Table);
            NewInARow.remove(row.Table);
        }
    }
}

// Rows replayed or foreseen wrongly: their tables earn the foresight again.
void TRowBatch::ForgetNewRuns(const std::vector<TBatchRow>& rows) {
    for (const TBatchRow& row : rows) NewInARow.remove(row.Table);
}

QVector<TRowSet> TRowBatch::Foretell(const std::vector<TBatchRow>& rows) {
    QVector<TBatchStatement> probes;
    for (const TBatchRow& row : rows)
        if (row.Handled) probes.append(row.Probe);
    return Dest.RunBatch(probes);
}

bool TRowBatch::Write(std::vector<TBatchRow>& rows, const QVector<TRowSet>& foretold, bool leadEveryRow) {
    // Per handled row, in the answers of the batch: its probe again (-1: until a row of the
    // batch is inserted, the destination is as the first probes saw it), and the answer that
    // holds its key (-1: the first probe's).
    QVector<TBatchStatement> statements;
    QVector<int> probeAt, keyAt;
    bool insertedBefore = false;
    int handled = 0;
    for (const TBatchRow& row : rows) {
        if (!row.Handled) continue;
        const bool found = !foretold[handled++].Rows.isEmpty();
        const bool led = insertedBefore || leadEveryRow;
        probeAt.append(led ? static_cast<int>(statements.size()) : -1);
        if (led) statements.append(row.Probe);
        if (!found) {
            statements.append(row.Insert);
            statements.append(row.Probe);
            insertedBefore = true;
        } else if (row.Updates) {
            statements.append(row.Update);
        }
        keyAt.append(found ? probeAt.last() : static_cast<int>(statements.size()) - 1);
    }
    const QVector<TRowSet> answers = statements.isEmpty() ? QVector<TRowSet>() : Dest.RunBatch(statements);
    bool asForetold = true;
    handled = 0;
    for (TBatchRow& row : rows) {
        if (!row.Handled) continue;
        const bool found = !foretold[handled].Rows.isEmpty();
        if (probeAt[handled] >= 0) asForetold = asForetold && answers[probeAt[handled]].Rows.isEmpty() != found;
        const TRowSet& keyAnswer = keyAt[handled] >= 0 ? answers[keyAt[handled]] : foretold[handled];
        asForetold = asForetold && KeyOf(keyAnswer, row.Result);
        row.Inserted = !found;
        row.Updated = found && row.Updates;
        ++handled;
    }
    if (asForetold) return true;
    // The rows met other than foretold (or an inserted row was not found again): undone, and
    // replayed one at a time, which settles each as it would be settled alone.
    try {
        Dest.UndoBatch();
    } catch (const EDatabaseError& error) {
        StopWhenTransactionEnded(Dest, true, error.message());
        // Replaying rows whose batch still stands would copy them twice.
        throw ERunEnding(error.message());
    }
    return false;
}
