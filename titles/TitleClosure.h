#pragma once
// The walk from the ticked titles down the source's foreign keys: the steps that fill
// ImportTableList (table names in copy order, marks 0 copy / 2 listed only) and the
// parallel RowSelectionList (a key list, a select statement of key values, or empty).

#include "titles/ImportPlan.h"

#include <QString>
#include <QStringList>

class TADOConnection;

// The tables a title import never copies; entries 1 to 5 of every plan, with mark 2.
const QStringList& ExcludedTables();

// Appends the table with mark 0 and its selection, unless it is listed already.
void AddImportTable(TImportPlan& plan, const QString& table, const QString& selection);
// Appends the table with mark 2 and an empty selection, unless it is listed already.
void AddExcludedTable(TImportPlan& plan, const QString& table);

// The column by which dependent refers to parent (the last that the catalogue reports), or
// empty text.
QString FindReferenceColumn(const QString& dependent, const QString& parent, TADOConnection& connection);

// "select T1.<key> from <dependent> as T1 inner join <parent> as T2 on T1.<reference>=T2.<parent
// key> where T2.<parent key> in (<parentSelection>)". Empty text when the dependent has no
// primary key, the parent has none, or the catalogue reports no reference between them;
// whyNot (when given) then says which.
QString BuildDependentSelect(const QString& dependent, const QString& parent, const QString& parentSelection,
                             TADOConnection& connection, QString* whyNot = nullptr);

// The fixed selection of "Дефект": the defects whose detection event is among the keys that
// the parent selection yields.
QString DefectSelection(const QString& parentSelection);

// Lists the dependent with the selection through parent. A dependent whose rows cannot be
// selected is listed with mark 2 instead (not copied, not walked into), and a line naming it
// and the reason goes to the log memo and the diagnostic log.
void AddDependentTable(TImportPlan& plan, const QString& dependent, const QString& parent,
                       const QString& parentSelection, TADOConnection& connection);

// Depth first from entry index: every user table that refers to it and is not listed yet is
// listed, then walked, in ascending name order.
void CollectDependents(TImportPlan& plan, int index, TADOConnection& connection);
