#pragma once
// Turning the ticked titles into the copier's plan, and the temporary schema changes
// around a copy. The front end owns the plan lists and answers through TTitleFrontEnd.

#include "titles/ImportPlan.h"
#include "titles/TitleFrontEnd.h"

#include "support/Exception.h"

#include <QString>
#include <QVector>

class TADOConnection;
class TADOQuery;

// Replaces the list's items with one item per row of "select [distinct ]fields from table"
// + filter + trailing, read through sourceQuery. Without a trailing clause the items come
// in the order of their captions when all are whole numbers (keys), the statement's text
// unchanged. Every failure shows "Таблица <table> не найдена. Возможная причина -
// несоответствие версии базы данных"; nothing is raised.
void FillListFromTable(const QString& table, TTitleFrontEnd& list, const QString& fieldList, bool distinct,
                       const QString& filterClause, const QString& trailingClause, TADOQuery& sourceQuery);

// Fills ImportTableList and RowSelectionList (emptied first) and appends the match lists,
// then prepares both databases. Ends with EAbort, after telling the user, when it refuses
// the run (no title ticked; duplicates not ignored). Database errors of the walk propagate.
// A table of either database left without a usable GUID column, or a section link that could
// not be made, stops the run with EPreparationStopped, after the GUID columns made so far
// are removed again.
void PrepareTitleImport(TImportPlan& plan, TTitleFrontEnd& frontEnd, TADOConnection& source,
                        TADOConnection& dest);

// The run cannot go on: the databases could not be made ready for the copy.
class EPreparationStopped : public Exception {
public:
    using Exception::Exception;
};

// A table has no GUID column by which its copied rows are found.
class EGuidColumnMissing : public EPreparationStopped {
public:
    using EPreparationStopped::EPreparationStopped;
};

// A table that ended up without a usable GUID column, and the server's reason.
struct TGuidColumnFailure {
    QString Table;
    QString Reason;
};

// The temporary GUID columns of every table of ImportTableList, and the section link of the
// source. None of them raises: errors go to the diagnostic log. CreateGuidColumns answers
// the tables whose column could be neither added nor filled (a column that an interrupted
// run left behind and that is filled afresh is usable); AddSectionLink answers the server's
// reason when the link could not be made, or an empty text.
QVector<TGuidColumnFailure> CreateGuidColumns(const TImportPlan& plan, TADOConnection& connection);
void DropGuidColumns(const TImportPlan& plan, TADOConnection& connection);
QString AddSectionLink(TADOConnection& connection);
void DropSectionLink(TADOConnection& connection);

// The clean-up half of the finishing step: the GUID columns of the source, then of the
// destination, then the section link of the source. Harmless when run twice. Inside the
// destination's transaction the checks it has put off are made first, since PostgreSQL
// alters no table with checks pending; one that fails raises (the COMMIT would fail too).
void DropImportSchemaChanges(const TImportPlan& plan, TADOConnection& source, TADOConnection& dest);
