#include "copier/CopierRun.h"

#include "copier/Callbacks.h"
#include "copier/CatalogueCache.h"
#include "copier/CopierLog.h"
#include "copier/KeyMaps.h"
#include "copier/RowCopier.h"
#include "copier/RunCounts.h"
#include "copier/SchemaIntrospection.h"
#include "copier/Transaction.h"
#include "db/ADOQuery.h"

#include <exception>

namespace {

// Writes the closing banner however the run ends, also when an error leaves it.
class TRunBanner {
public:
    TRunBanner() { LogCopierLine(QStringLiteral(">>>Импорт Tablix")); }
    ~TRunBanner() { LogCopierLine(QStringLiteral("<<<Импорт Tablix")); }
    TRunBanner(const TRunBanner&) = delete;
    TRunBanner& operator=(const TRunBanner&) = delete;
};

class TImportRun {
public:
    TImportRun(const TStringList& tables, const TStringList& selections, const TStringList& matchTables,
               const TStringList& matchColumns, TADOConnection& source, TADOConnection& dest, TRunCounts* counts)
        : Tables(tables), Selections(selections), MatchTables(matchTables), MatchColumns(matchColumns),
          Source(source), Dest(dest), Counts(counts ? *counts : OwnCounts) {
        KeyMaps.Counts = &Counts;
    }

    void DeriveOrder(const TStringList* order);
    void CreateKeyMaps();
    int CopyAll();

private:
    void CopyPosition(int position);
    QString SelectionOf(int index);
    int AnnouncedRows(const QString& selection);
    bool AskToSave();

    const TStringList& Tables;
    const TStringList& Selections;
    const TStringList& MatchTables;
    const TStringList& MatchColumns;
    TADOConnection& Source;
    TADOConnection& Dest;

    TStringList Order;
    TKeyMaps KeyMaps;
    TRunCounts OwnCounts;  // where the rows are counted when the caller does not ask for them
    TRunCounts& Counts;
    int TablesCopied = 0;
};

// Without an order from the caller, every table follows the tables it refers to; tables
// caught in a cycle of references are left out.
void TImportRun::DeriveOrder(const TStringList* order) {
    if (order) {
        Order = *order;
        return;
    }
    TStringList dependencies;
    BuildDependencyLists(Tables, dependencies, Source);
    OrderByDependencies(Tables, dependencies, Order);
}

void TImportRun::CreateKeyMaps() {
    for (int i = 0; i < Tables.Count(); ++i) KeyMaps.AddTable(Tables[i]);
}

int TImportRun::CopyAll() {
    int result = -1;
    bool transactionOpen = false;
    try {
        ExecuteTransactionStatement(Dest, BeginTransactionText);
        transactionOpen = true;
        KeyMaps.InTransaction = true;
        const int count = Order.Count();
        for (int i = 0; i < count; ++i) CopyPosition(i);
        if (OnFinish) OnFinish();
        LogCopierLine(QStringLiteral("Импорт прошел успешно"));
        LogCopierLine(QStringLiteral("Импортировано ") + QString::number(TablesCopied) + QStringLiteral(" таблиц"));
        result = TablesCopied;
        // What the run did, for the operator to decide on before the question.
        for (const QString& line : FormatRunCounts(Counts)) ReportCopierLine(line);
        const bool save = AskToSave();
        if (!save) result = -1;
        transactionOpen = false;
        // A commit that fails saves nothing: the run must not be reported as saved, and the
        // refusal is the run's failure, for the caller to name.
        std::exception_ptr refusal;
        if (!EndTransaction(Dest, save, &refusal)) result = -1;
        Counts.Committed = save && result >= 0;
        if (refusal) Counts.Failure = refusal;
    } catch (const TExitException& e) {
        // The user's stop has ended the transaction already; a "save" then that the commit
        // refused is the run's failure.
        LogCopierLine(e.message());
        result = -1;
        Counts.Committed = e.Committed;
        if (e.CommitRefusal) Counts.Failure = e.CommitRefusal;
    } catch (const Exception& e) {
        LogCopierLine(e.message());
        result = -1;
        if (transactionOpen) RollBackFailedRun(Dest);
        Counts.Failure = std::current_exception();
    } catch (const std::exception& e) {
        LogCopierLine(QString::fromUtf8(e.what()));
        result = -1;
        if (transactionOpen) RollBackFailedRun(Dest);
        Counts.Failure = std::current_exception();
    }
    return result;
}

void TImportRun::CopyPosition(int position) {
    const int index = Tables.IndexOf(Order[position]);
    if (index < 0)
        throw Exception(QStringLiteral("Таблица ") + Order[position] +
                        QStringLiteral(" из порядка импорта отсутствует в списке таблиц"));
    if (Tables.Mark(index) == imSkip) return;
    const QString& table = Tables[index];
    const QString selection = SelectionOf(index);
    const int rows = AnnouncedRows(selection);
    ReportCopierLine(QStringLiteral("Импорт таблицы ") + table + QStringLiteral(" - ") + QString::number(rows) +
                     QStringLiteral(" записей"));
    if (OnTableStart) OnTableStart(table, rows, Order.Count(), position + 1);
    if (CopyTableRows(table, selection, KeyMaps, MatchTables, MatchColumns, Source, Dest, false,
                      Tables.Mark(index) == imKeyFirst) >= 0)
        ++TablesCopied;
}

QString TImportRun::SelectionOf(int index) {
    // A missing entry is refused rather than read as "every row".
    if (index >= Selections.Count())
        throw Exception(QStringLiteral("Для таблицы ") + Tables[index] + QStringLiteral(" не задана выборка записей"));
    const QString& selection = Selections[index];
    return selection.isEmpty() ? GetDefaultSelection(Tables[index], Source) : selection;
}

// The rows announced for a table only inform the user; the copy does not depend on them.
// They are counted as the selection's rows arrive, none of them kept: a table of a real road
// holds hundreds of thousands.
int TImportRun::AnnouncedRows(const QString& selection) {
    if (!selection.contains(QStringLiteral("select"))) return static_cast<int>(selection.count(QLatin1Char(','))) + 1;
    TADOQuery counter(&Source);
    counter.SetSQL(selection);
    counter.OpenStreamed();
    int rows = 0;
    for (; !counter.Eof(); counter.Next()) ++rows;
    counter.Close();
    return rows;
}

bool TImportRun::AskToSave() {
    const bool save = ShowCenteredMessage(QStringLiteral("Импорт прошел успешно, сохранить?"),
                                          TMsgDlgType::mtConfirmation,
                                          TMsgDlgBtn::mbYes | TMsgDlgBtn::mbNo) == mrYes;
    LogCopierLine(save ? QStringLiteral("Изменения БУДУТ ВНЕСЕНЫ в базу") : QStringLiteral("Изменения НЕ ВНЕСЕНЫ в базу"));
    return save;
}

}  // namespace

int ImportTables(const TStringList& tables, const TStringList& selections, const TStringList& matchTables,
                 const TStringList& matchColumns, TADOConnection& source, TADOConnection& dest,
                 const TStringList* order, TRunCounts* counts) {
    TRunBanner banner;
    TCatalogueRunCache catalogue;
    TImportRun run(tables, selections, matchTables, matchColumns, source, dest, counts);
    run.DeriveOrder(order);  // an error of the catalogue here reaches the caller
    run.CreateKeyMaps();
    return run.CopyAll();
}
