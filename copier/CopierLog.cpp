#include "copier/CopierLog.h"

#include "copier/Callbacks.h"
#include "support/Log.h"

void LogCopierLine(const QString& line) { WriteLog(line, 1); }

void ReportCopierLine(const QString& line) {
    WriteLog(line, 1);
    if (OnLogLine) OnLogLine(line);
}

static int RowFailureCount = 0;

int RowFailuresReported() { return RowFailureCount; }

void ReportRowFailure(const QString& table, const QString& sourceKey, const QString& message) {
    ++RowFailureCount;
    ReportCopierLine(QStringLiteral("Не удалось добавить запись в таблицу ") + table + QStringLiteral(" с кодом ") +
                     sourceKey + QStringLiteral(". Ошибка: ") + message);
}

void ReportRowFailure(const QString& table, int sourceKey, const QString& message) {
    ReportRowFailure(table, QString::number(sourceKey), message);
}
