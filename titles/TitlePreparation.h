#pragma once
// Turning the ticked titles into the copier's plan, and the temporary schema changes
// around a copy. The front end owns the plan lists and answers through TTitleFrontEnd.

#include "titles/ImportPlan.h"
#include "titles/TitleFrontEnd.h"

#include <QString>

class TADOConnection;
class TADOQuery;

// Replaces the list's items with one item per row of "select [distinct ]fields from table"
// + filter + trailing, read through sourceQuery. Every failure shows "Таблица <table> не
// найдена. Возможная причина - несоответствие версии базы данных"; nothing is raised.
void FillListFromTable(const QString& table, TTitleFrontEnd& list, const QString& fieldList, bool distinct,
                       const QString& filterClause, const QString& trailingClause, TADOQuery& sourceQuery);

// Fills ImportTableList and RowSelectionList (emptied first) and appends the match lists,
// then prepares both databases. Ends with EAbort, after telling the user, when it refuses
// the run (no title ticked; duplicates not ignored). Database errors of the walk propagate.
void PrepareTitleImport(TImportPlan& plan, TTitleFrontEnd& frontEnd, TADOConnection& source,
                        TADOConnection& dest);

// The temporary GUID columns of every table of ImportTableList, and the section link of the
// source. None of them raises: errors go to the diagnostic log.
void CreateGuidColumns(const TImportPlan& plan, TADOConnection& connection);
void DropGuidColumns(const TImportPlan& plan, TADOConnection& connection);
void AddSectionLink(TADOConnection& connection);
void DropSectionLink(TADOConnection& connection);

// The clean-up half of the finishing step: the GUID columns of the source, then of the
// destination, then the section link of the source. Harmless when run twice.
void DropImportSchemaChanges(const TImportPlan& plan, TADOConnection& source, TADOConnection& dest);
