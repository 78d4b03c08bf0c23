#include "titles/ImportRun.h"

#include "copier/Callbacks.h"
#include "copier/CopierRun.h"
#include "copier/RunCounts.h"
#include "copier/Transaction.h"
#include "db/ADOConnection.h"
#include "db/DatabaseInUse.h"
#include "db/DbError.h"
#include "db/RunEnding.h"
#include "titles/DatabaseGuards.h"
#include "titles/TitlePreparation.h"

QString TableStartCaption(const QString& name, int rows, int tableCount, int tableNumber) {
    if (tableCount < 0) return name;
    return QStringLiteral("Импорт таблицы: ") + name + QStringLiteral(" - ") + QString::number(rows) +
           QStringLiteral(" записей (") + QString::number(tableNumber) + QStringLiteral(" из ") +
           QString::number(tableCount) + QStringLiteral(")");
}

void FinishImport(TImportFrontEnd& frontEnd, const TImportPlan& plan, TADOConnection& source,
                  TADOConnection& dest) {
    // The clean-up must happen even when the display cannot be reset; the display's error
    // still reaches the caller afterwards.
    try {
        frontEnd.ResetDisplay();
    } catch (...) {
        DropImportSchemaChanges(plan, source, dest);
        throw;
    }
    DropImportSchemaChanges(plan, source, dest);
    // A database in use ends the run: inside the copy the error makes the copier roll back
    // instead of asking whether to save.
    RaiseWhenDatabaseInUse(source, dest);
}

void InstallImportCallbacks(TImportFrontEnd& frontEnd, const TImportPlan& plan, TADOConnection& source,
                            TADOConnection& dest) {
    OnTableStart = [&frontEnd](const QString& name, int rows, int tableCount, int tableNumber) {
        frontEnd.TableStart(name, rows, tableCount, tableNumber);
    };
    OnRowProgress = [&frontEnd](const QString& name, int position) { frontEnd.RowProgress(name, position); };
    OnCheckAbort = [&frontEnd]() { frontEnd.CheckAbort(); };
    OnFinish = [&frontEnd, &plan, &source, &dest]() { FinishImport(frontEnd, plan, source, dest); };
    OnLogLine = [&frontEnd](const QString& line) { frontEnd.AddMemoLine(line); };
}

static void WriteImportOutcome(TImportFrontEnd& frontEnd, int result) {
    if (result < 0) {
        frontEnd.AddMemoLine(QStringLiteral("Ошибка импорта"));
        return;
    }
    frontEnd.AddMemoLine(QStringLiteral("Импорт прошел успешно!"));
    frontEnd.AddMemoLine(QStringLiteral("Импортировано ") + QString::number(result) + QStringLiteral(" таблиц"));
}

// The database error that failed the run, or nothing when none did.
static const EDatabaseError* DatabaseFailure(const TRunCounts& counts) {
    if (!counts.Failure) return nullptr;
    try {
        std::rethrow_exception(counts.Failure);
    } catch (const EDatabaseError& error) {
        return &error;  // the exception object lives as long as counts.Failure does
    } catch (...) {
        return nullptr;  // not a database's: the diagnostic log has it
    }
}

// "Целевая база данных "...": COMMIT TRANSACTION; не выполнен: <reason>; изменения НЕ ВНЕСЕНЫ
// в базу" when the failure is a refused commit; otherwise empty.
static QString CommitRefusalText(const EDatabaseError* failure, TADOConnection& source, TADOConnection& dest) {
    if (!dynamic_cast<const ECommitRefused*>(failure)) return QString();
    return NamedDatabaseError(*failure, source, dest, QStringLiteral("; изменения НЕ ВНЕСЕНЫ в базу"));
}

int RunTitleImport(TImportFrontEnd& frontEnd, TImportPlan& plan, TADOConnection& source, TADOConnection& dest,
                   TRunCounts* counts) {
    frontEnd.ClearMemo();
    frontEnd.ShowLogPage();
    InstallImportCallbacks(frontEnd, plan, source, dest);

    // Held until the run has ended, however it ends.
    const TImportClaims claims(source, dest);
    try {
        PrepareTitleImport(plan, frontEnd, source, dest);
    } catch (const EPreparationStopped&) {
        // The GUID phase has announced itself and disabled the buttons; no finishing step
        // follows a stopped preparation, so the display is reset here. A table is left
        // without its column also when its database is locked by another program.
        frontEnd.ResetDisplay();
        RethrowNamingDatabase(source, dest);
    } catch (const EDatabaseError&) {
        RethrowNamingDatabase(source, dest);
    }
    // The preparation's own housekeeping only logs its errors: a database found in use there
    // ends the run after what could be cleaned up was.
    if (source.FoundInUse() || dest.FoundInUse()) FinishImport(frontEnd, plan, source, dest);

    TRunCounts ownCounts;
    TRunCounts& runCounts = counts ? *counts : ownCounts;
    const int result = ImportTables(plan.ImportTableList, plan.RowSelectionList, plan.MatchTableList,
                                    plan.MatchColumnList, source, dest, &plan.ImportTableList, &runCounts);
    const EDatabaseError* failure = result < 0 ? DatabaseFailure(runCounts) : nullptr;
    // A commit the destination refused: the memo, which said that the changes would be made,
    // says why they were not.
    const QString refusal = CommitRefusalText(failure, source, dest);
    if (!refusal.isEmpty()) frontEnd.AddMemoLine(refusal);
    WriteImportOutcome(frontEnd, result);
    if (result >= 0) return result;
    // A declined, stopped or failed run: the rollback undid the clean-up made inside the
    // transaction (or there was none), so it is done again outside it. A stop answered with
    // "save" has committed: the report says so. A run that could not go on reports why it
    // stopped, whatever its clean-up meets.
    try {
        FinishImport(frontEnd, plan, source, dest);
    } catch (const Exception&) {
        if (!dynamic_cast<const ERunEnding*>(failure)) {
            RaiseWhenDatabaseInUse(source, dest, runCounts.Committed);
            RethrowNamingDatabase(source, dest);
        }
    }
    // A run that failed because a database went away says which; one that a database's
    // statement failed names the database and the server's reason.
    RaiseWhenConnectionLost(source, dest);
    if (!refusal.isEmpty()) throw EDatabaseError(refusal);
    if (failure) RaiseWhenDatabaseFailedRun(*failure, source, dest);
    return result;
}
