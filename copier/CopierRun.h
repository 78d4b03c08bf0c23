#pragma once
// The copier's entry point: copies a list of tables inside one destination transaction and
// lets the user decide at the end whether it is committed.

#include "support/StringList.h"

class TADOConnection;
class TRunCounts;

// Marks of the table list.
enum TImportMark { imCopy = 0, imKeyFirst = 1, imSkip = 2 };

// Returns the number of tables copied when the run was saved, or -1. Before the save
// question the memo receives the table of the run's counts. counts (when given, and empty)
// is where the run counts its rows as it handles them, whatever the outcome, and where the
// error that failed the run is kept (among them ERunEnding: the server ended the
// transaction, or a database fails every statement, which stop the copy at once).
int ImportTables(const TStringList& tables, const TStringList& selections, const TStringList& matchTables,
                 const TStringList& matchColumns, TADOConnection& source, TADOConnection& dest,
                 const TStringList* order, TRunCounts* counts = nullptr);
