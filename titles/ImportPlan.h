#pragma once
// The four import plan lists. ImportTableList: table names in copy order with their marks
// (0 copy, 2 listed but not copied); RowSelectionList: parallel, a key list, a select
// statement or empty; MatchTableList and MatchColumnList: parallel, each table's match
// columns as a comma list (the first entry for a name counts).

#include "support/StringList.h"

struct TImportPlan {
    TStringList ImportTableList;
    TStringList RowSelectionList;
    TStringList MatchTableList;
    TStringList MatchColumnList;
};
