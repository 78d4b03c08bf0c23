#pragma once
// The run of "Начать": the one place where the order of a whole import is fixed. The window
// and the headless runner both drive it; each supplies its display, its abort check and its
// title list through TImportFrontEnd.

#include "titles/ImportPlan.h"
#include "titles/TitleFrontEnd.h"

#include <QString>

class TADOConnection;
class TRunCounts;

// What a run needs of the front end beyond the title list and the message box.
class TImportFrontEnd : public TTitleFrontEnd {
public:
    // The log memo.
    virtual void ClearMemo() = 0;
    virtual void AddMemoLine(const QString& line) = 0;
    // Notebook1 to the log page (index 3).
    virtual void ShowLogPage() = 0;
    // The copier's progress: a table (or, with a negative table count, a phase named by its
    // text alone) begins with this many rows announced; then rows done so far under a name.
    virtual void TableStart(const QString& name, int rows, int tableCount, int tableNumber) = 0;
    virtual void RowProgress(const QString& name, int rowsDone) = 0;
    // Raises EAbort when the user has asked to stop the run.
    virtual void CheckAbort() = 0;
    // The display part of the finishing step: caption "Импорт завершен", progress at 0,
    // buttons enabled again.
    virtual void ResetDisplay() = 0;
};

// The caption of a table start: the name alone when the table count is negative (a phase),
// otherwise "Импорт таблицы: <name> - <rows> записей (<number> из <count>)".
QString TableStartCaption(const QString& name, int rows, int tableCount, int tableNumber);

// The finishing step: the front end resets its display, then, whatever happened to that,
// the temporary GUID columns and the section link are removed from both databases. Harmless
// when run twice. Raises EDatabaseInUse, after the clean-up, when a statement of the run has
// found either database locked by another program.
void FinishImport(TImportFrontEnd& frontEnd, const TImportPlan& plan, TADOConnection& source,
                  TADOConnection& dest);

// Fills the copier's five callback slots with the front end's procedures, in the order
// OnTableStart, OnRowProgress, OnCheckAbort, OnFinish (FinishImport), OnLogLine. The slots
// keep references to the arguments and stay filled after the run.
void InstallImportCallbacks(TImportFrontEnd& frontEnd, const TImportPlan& plan, TADOConnection& source,
                            TADOConnection& dest);

// The whole run on two open connections, with the titles ticked in the front end's list.
// Returns ImportTables' result: the number of tables imported, or negative when the import
// failed, was stopped or was not saved (then "Ошибка импорта" is in the memo and FinishImport
// has run a second time). A run the preparation refused ends with EAbort, after the front
// end was told why; a database error of the preparation propagates. counts (when given)
// receives what the copy did, table by table.
// The run holds the import claims of both databases from before the preparation to its end:
// a database another import holds is refused with EDatabaseClaimed before anything is done.
// A database found locked by another program ends the run with EDatabaseInUse naming it,
// after the copy was rolled back and what could be cleaned up was (saying "ВНЕСЕНЫ" when a
// stop answered with save had committed). A failed run whose connection was lost, whose
// transaction the server ended, or whose database refused a statement outside a row ends with
// EDatabaseError naming the database and the reason; so does a run whose commit the
// destination refused, which the memo names too, before "Ошибка импорта". A preparation
// that could not make the databases ready ends with EPreparationStopped.
int RunTitleImport(TImportFrontEnd& frontEnd, TImportPlan& plan, TADOConnection& source, TADOConnection& dest,
                   TRunCounts* counts = nullptr);
