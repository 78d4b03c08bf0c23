#include "titles/ImportRun.h"

#include "copier/Callbacks.h"
#include "copier/CopierRun.h"
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

int RunTitleImport(TImportFrontEnd& frontEnd, TImportPlan& plan, TADOConnection& source, TADOConnection& dest,
                   TRunCounts* counts) {
    frontEnd.ClearMemo();
    frontEnd.ShowLogPage();
    InstallImportCallbacks(frontEnd, plan, source, dest);

    try {
        PrepareTitleImport(plan, frontEnd, source, dest);
    } catch (const EGuidColumnMissing&) {
        // The GUID phase has announced itself and disabled the buttons; no finishing step
        // follows a stopped preparation, so the display is reset here.
        frontEnd.ResetDisplay();
        throw;
    }

    const int result = ImportTables(plan.ImportTableList, plan.RowSelectionList, plan.MatchTableList,
                                    plan.MatchColumnList, source, dest, &plan.ImportTableList, counts);
    WriteImportOutcome(frontEnd, result);
    // A declined, stopped or failed run: the rollback undid the clean-up made inside the
    // transaction (or there was none), so it is done again outside it.
    if (result < 0) FinishImport(frontEnd, plan, source, dest);
    return result;
}
