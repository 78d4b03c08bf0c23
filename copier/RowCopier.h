#pragma once
// Copies the chosen rows of one table from the source into the destination, translating
// every key through the run's key maps and pulling referenced rows in first.

#include "support/StringList.h"

#include <QString>

class TADOConnection;
struct TKeyMaps;

// selection: what goes inside "in (" ... ")" against the key column (a comma list of keys or
// a statement that selects them). Nested: the call supplies a referenced row (each insert is
// reported; a row found in the destination is left unchanged). KeyFirst: the first match
// column stands for the key column.
// Returns the destination key of the last source row read, or -1 when that row failed or the
// selection yielded no row. Errors of the preparation reach the caller; each row's errors
// are reported and the row skipped, except a database found in use (EDatabaseInUse), which
// ends the call; the user's stop ends the call with TExitException.
int CopyTableRows(const QString& table, const QString& selection, TKeyMaps& keyMaps,
                  const TStringList& matchTables, const TStringList& matchColumns, TADOConnection& source,
                  TADOConnection& dest, bool nested, bool keyFirst);
