#pragma once
// The copier's lines: every one goes to the diagnostic log at level 1; the lines meant for
// the user's log also go to OnLogLine when it is set.

#include <QString>

// The diagnostic log only.
void LogCopierLine(const QString& line);
// The diagnostic log, then OnLogLine.
void ReportCopierLine(const QString& line);
// "Не удалось добавить запись в таблицу <table> с кодом <key>. Ошибка: <message>", reported.
void ReportRowFailure(const QString& table, int sourceKey, const QString& message);
// The same with the key as text (a key that could not be read as an integer).
void ReportRowFailure(const QString& table, const QString& sourceKey, const QString& message);
// How many row failures were reported since the program started: a caller compares the
// count before and after a run to learn whether the run refused rows.
int RowFailuresReported();
