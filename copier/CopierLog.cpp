#include "copier/CopierLog.h"

#include "copier/Callbacks.h"
#include "support/Log.h"

void LogCopierLine(const QString& line) { WriteLog(line, 1); }

void ReportCopierLine(const QString& line) {
    WriteLog(line, 1);
    if (OnLogLine) OnLogLine(line);
}

void ReportRowFailure(const QString& table, int sourceKey, const QString& message) {
    ReportCopierLine(QStringLiteral("Не удалось добавить запись в таблицу ") + table + QStringLiteral(" с кодом ") +
                     QString::number(sourceKey) + QStringLiteral(". Ошибка: ") + message);
}
