#pragma once
// The process-wide diagnostic log: one time-stamped line per message in a file beside the
// executable (or, for an installed program or where that cannot be written, in the user's
// state folder), repetitions collapsed in place. Never raises.

#include <QString>
#include <cstdint>
#include <functional>

// Threshold: a message is logged when its level is less than or equal to it.
extern std::uint8_t LogLevel;
// Full path of the log file when not empty; otherwise the executable's path with ".log".
extern QString LogFileName;

// A file that cannot be written switches file logging off for the rest of the process.
void WriteLog(const QString& message, std::uint8_t level);

// Why file logging was switched off ("write: No space left on device"), or empty.
QString LogSwitchOffReason();

// Called once, when file logging switches off, with the file and the reason, so that the
// program can tell its user; called outside the log's lock, and never again after.
using TLogSwitchOffNotice = std::function<void(const QString& file, const QString& reason)>;
void SetLogSwitchOffNotice(TLogSwitchOffNotice notice);

// One of the three Russian plural forms for n ("1 раз", "2 раза", "5 раз").
QString ChoosePlural(int n, const QString& one, const QString& few, const QString& many);

// The default log file of an executable: its extension replaced by ".log", or ".log"
// appended when the file name has none.
QString LogFileNameForExecutable(const QString& executablePath);

// The file the next message goes to, and so the one to name to the user: LogFileName, or
// the executable's default, or the state folder's for an installed program or when the
// default cannot be written; empty when none can be told.
QString CurrentLogFileName();

// Whether the executable is an installed one: it lies in a bin or sbin folder, as under every
// installation prefix (/usr/bin, /usr/local/bin, /opt/NAME/bin, a package unpacked anywhere).
// Its log never goes beside it, where root (sudo) could write it into a system folder.
bool IsInstalledProgram(const QString& executablePath);

// The log in the user's state folder: $XDG_STATE_HOME (else ~/.local/state), a folder named
// after the program, and in it the program's name with ".log". The folder is made (for its
// owner only) when missing.
QString StateFolderLogFileName(const QString& executablePath);

// Tests only: forgets the repeated-message state and switches the file part back on, as if
// the process had just started. LogLevel and LogFileName are left as they are.
void ResetLogState();
