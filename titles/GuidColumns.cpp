// The temporary GUID column of every table of the import, by which the copier finds the row
// it has just inserted. Made in both databases before the copy, dropped after it.

#include "titles/TitlePreparation.h"

#include "copier/Callbacks.h"
#include "copier/CatalogueNames.h"
#include "db/ADOConnection.h"
#include "db/Dialect.h"
#include "support/Log.h"
#include "titles/HousekeepingLog.h"

QVector<TGuidColumnFailure> CreateGuidColumns(const TImportPlan& plan, TADOConnection& connection) {
    const QString phase = QStringLiteral("Создаем GUID-ы");
    QVector<TGuidColumnFailure> failures;
    int next = 0;  // the first table not yet handled
    try {
        WriteLog(phase, 1);
        if (OnLogLine) OnLogLine(phase);
        if (OnTableStart) OnTableStart(phase, plan.ImportTableList.Count(), -1, 0);
        const TDialect& dialect = connection.Dialect();
        for (; next < plan.ImportTableList.Count(); ++next) {
            const QString& table = plan.ImportTableList[next];
            if (!IsWritableName(table, connection)) continue;  // listed only to be left out
            QString addError;
            try {
                dialect.ExecuteForUserTable(connection, table, dialect.AddGuidColumnStatement(table));
            } catch (...) {
                addError = CurrentErrorMessage();
                LogHousekeepingError(QStringLiteral("Ошибка создания GUID-ов для таблицы") + table, addError);
            }
            // Filled also when the column could not be added because a run that was cut
            // short left it behind: rows added since then hold NULL, and NULL matches NULL
            // in the copier's probe, which would map rows of different titles onto one.
            // A column that cannot be filled is of no use, whoever made it.
            try {
                dialect.ExecuteForUserTable(connection, table, dialect.FillGuidStatement(table));
                if (OnRowProgress) OnRowProgress(phase, next);
            } catch (...) {
                const QString fillError = CurrentErrorMessage();
                LogHousekeepingError(QStringLiteral("Ошибка создания GUID-ов для таблицы") + table, fillError);
                // The refusal to add the column says more than the missing column.
                failures.append({table, addError.isEmpty() ? fillError : addError});
            }
        }
        if (failures.isEmpty()) WriteLog(QStringLiteral("GUID-ы созданы успешно"), 1);
    } catch (...) {
        const QString error = CurrentErrorMessage();
        LogHousekeepingError(QStringLiteral("Ошибка создания GUID-ов"), error);
        for (; next < plan.ImportTableList.Count(); ++next) failures.append({plan.ImportTableList[next], error});
    }
    return failures;
}

void DropGuidColumns(const TImportPlan& plan, TADOConnection& connection) {
    try {
        WriteLog(QStringLiteral("Удаление GUID-ов"), 1);
        const TDialect& dialect = connection.Dialect();
        for (int i = 0; i < plan.ImportTableList.Count(); ++i) {
            const QString& table = plan.ImportTableList[i];
            if (!IsWritableName(table, connection)) continue;
            try {
                dialect.ExecuteForUserTable(connection, table, dialect.DropGuidColumnStatement(table));
            } catch (...) {
                LogHousekeepingError(QStringLiteral("Ошибка удаления GUID-ов для таблицы ") + table, CurrentErrorMessage());
            }
        }
    } catch (...) {
        LogHousekeepingError(QStringLiteral("Ошибка удаления GUID-ов"), CurrentErrorMessage());
    }
}
