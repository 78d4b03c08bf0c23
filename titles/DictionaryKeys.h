#pragma once
// The match columns by which the copier recognises a row that the destination already
// holds: the temporary GUID column for the tables of the import, the natural columns for
// the dictionaries and territorial tables.

#include "titles/ImportPlan.h"

#include <QPair>
#include <QString>
#include <QVector>

class TADOConnection;

// The dictionaries and territorial tables with their natural columns, in their fixed order.
const QVector<QPair<QString, QString>>& FixedMatchColumns();

// Appends to MatchTableList / MatchColumnList (never emptied here): every table of
// ImportTableList with "GUID", the fixed pairs, then every other source table named like
// 'Справочник_%' with "Описание". The dictionary query's errors reach the caller.
void BuildDictionaryKeys(TImportPlan& plan, TADOConnection& connection);
