#pragma once
// What the runner does with a parsed command line: opens the connections, fills the title
// list as the window does, then lists the titles or runs the import. Returns the exit status.

#include "cli/CliOptions.h"

class TConsole;

enum TExitStatus {
    esSaved = 0,     // the import was saved (or the titles were listed)
    esNotSaved = 1,  // the import failed, was stopped or was not saved
    esUsage = 2,     // usage error, a connection that cannot be opened, no readable title list
    esRefused = 3,   // the preparation refused the run
    esSavedWithRefusedRows = 4,  // the import was saved, but rows of it failed and are missing
    esReportNotWritten = 5,      // the import was saved whole, but --summary or --key-map could not be written
};

int RunCommandLine(const TCliOptions& options, TConsole& console);

