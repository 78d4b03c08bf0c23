#pragma once
// Imports that meet: a second run while a first one holds its databases. Written once for
// every backend; the SQLite and PostgreSQL tests call it with their own databases.

#include "cli/CliHarness.h"

// `first` imports every title of its source into its destination (no title there yet).
// While it is held in the middle of its copy, `sameDest` (another source, first's
// destination) and `sameSource` (first's source, another destination) are refused at once
// with exit status 1 and a message naming the claimed database, changing nothing; then
// `first` completes exactly as if alone.
void ExpectSecondRunRefusedWhileTheFirstRuns(const TImportPair& first, const TImportPair& sameDest,
                                             const TImportPair& sameSource);
