// The program's one data module.

#include "db/ImportDBModule.h"

TImportDBModule* ImportDBModule = nullptr;

// Both connections start closed; the wizard gives each its connection string and command
// timeout before it opens them. The destination's design-time string named a server that
// was never reached, so it is left empty.
TImportDBModule::TImportDBModule() {
    ADOConnectionSource.LoginPrompt = false;
    ADOConnectionDest.LoginPrompt = false;
    ImportDBModule = this;
}

TImportDBModule::~TImportDBModule() {
    if (ImportDBModule == this) ImportDBModule = nullptr;
}
