#pragma once
// The process-wide diagnostic log: one time-stamped line per message in a file beside the
// executable, repetitions collapsed in place. Never raises.

#include <QString>
#include <cstdint>

// Threshold: a message is logged when its level is less than or equal to it.
extern std::uint8_t LogLevel;
// Full path of the log file when not empty; otherwise the executable's path with ".log".
extern QString LogFileName;

void WriteLog(const QString& message, std::uint8_t level);

// One of the three Russian plural forms for n ("1 раз", "2 раза", "5 раз").
QString ChoosePlural(int n, const QString& one, const QString& few, const QString& many);

// The default log file of an executable: its extension replaced by ".log", or ".log"
// appended when the file name has none.
QString LogFileNameForExecutable(const QString& executablePath);

// The file the next message goes to: LogFileName, or the executable's default; empty when
// neither can be told.
QString CurrentLogFileName();

// Tests only: forgets the repeated-message state and switches the file part back on, as if
// the process had just started. LogLevel and LogFileName are left as they are.
void ResetLogState();
