#pragma once
// Imports that meet: a second run while a first one holds its databases, and a run killed
// in the middle of its copy. Written once for every backend; the SQLite and PostgreSQL tests
// call them with their own databases (on SQLite a killed run leaves no columns at all: see
// SqliteKillTest).

#include "cli/CliHarness.h"

// `first` imports every title of its source into its destination (no title there yet).
// While it is held in the middle of its copy, `sameDest` (another source, first's
// destination) and `sameSource` (first's source, another destination) are refused at once
// with exit status 1 and a message naming the claimed database, changing nothing; then
// `first` completes exactly as if alone.
void ExpectSecondRunRefusedWhileTheFirstRuns(const TImportPair& first, const TImportPair& sameDest,
                                             const TImportPair& sameSource);

// Killing the runner (SIGKILL) in the middle of the copy leaves the destination's rows as
// they were; the next run cleans up what the killed one left and imports every title.
void ExpectKilledRunToLeaveNothingTheNextRunCannotMend(const TImportPair& pair);
