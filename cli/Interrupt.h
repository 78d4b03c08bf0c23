#pragma once
// SIGINT and SIGTERM as the window's "Отмена": the first one only records the request, which
// the next abort check of the copy acts on; a second one ends the program at once (the
// default action), for a run that no longer answers.

// Installs the handlers; also ignores SIGPIPE, so that a reader that went away does not
// end an import half-way.
void InstallInterruptHandlers();

// True once SIGINT or SIGTERM has arrived. It stays true: one request stops the whole run.
bool InterruptRequested();
