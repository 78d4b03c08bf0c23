#pragma once
// Which file the diagnostic log goes to: LogFileName when set, else the executable's own
// name with ".log" beside it, else (an installed program, or a folder that cannot take the
// file) the one in the user's state folder.

#include <QString>

// The executable's full path, also before the application object exists or after it is gone;
// empty when the system cannot tell it.
QString ExecutablePath();

// The log file named by LogFileName, or the executable's default, or the state folder's.
// besideRuledOut: the file beside the executable is not to be written; set here for an
// installed program or a default that cannot be written, and kept by the caller. Empty when
// no executable path can name the file.
QString ChooseLogFile(bool& besideRuledOut);
