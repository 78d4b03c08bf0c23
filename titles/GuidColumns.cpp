// The temporary GUID column of every table of the import, by which the copier finds the row
// it has just inserted. Made in both databases before the copy, dropped after it.

#include "titles/TitlePreparation.h"

#include "copier/Callbacks.h"
#include "copier/CatalogueNames.h"
#include "db/ADOQuery.h"
#include "db/Dialect.h"
#include "support/Log.h"
#include "titles/HousekeepingLog.h"

void CreateGuidColumns(const TImportPlan& plan, TADOConnection& connection) {
    const QString phase = QStringLiteral("Создаем GUID-ы");
    try {
        WriteLog(phase, 1);
        if (OnLogLine) OnLogLine(phase);
        if (OnTableStart) OnTableStart(phase, plan.ImportTableList.Count(), -1, 0);
        const TDialect& dialect = connection.Dialect();
        TADOQuery query(&connection);
        for (int i = 0; i < plan.ImportTableList.Count(); ++i) {
            const QString& table = plan.ImportTableList[i];
            if (!IsWritableName(table, connection)) continue;  // listed only to be left out
            try {
                dialect.ExecuteForUserTable(query, table, dialect.AddGuidColumnStatement(table));
            } catch (...) {
                LogHousekeepingError(QStringLiteral("Ошибка создания GUID-ов для таблицы") + table, CurrentErrorMessage());
            }
            // Filled also when the column could not be added because a run that was cut
            // short left it behind: rows added since then hold NULL, and NULL matches NULL
            // in the copier's probe, which would map rows of different titles onto one.
            try {
                dialect.ExecuteForUserTable(query, table, dialect.FillGuidStatement(table));
                if (OnRowProgress) OnRowProgress(phase, i);
            } catch (...) {
                LogHousekeepingError(QStringLiteral("Ошибка создания GUID-ов для таблицы") + table, CurrentErrorMessage());
            }
        }
        WriteLog(QStringLiteral("GUID-ы созданы успешно"), 1);
    } catch (...) {
        LogHousekeepingError(QStringLiteral("Ошибка создания GUID-ов"), CurrentErrorMessage());
    }
}

void DropGuidColumns(const TImportPlan& plan, TADOConnection& connection) {
    try {
        WriteLog(QStringLiteral("Удаление GUID-ов"), 1);
        const TDialect& dialect = connection.Dialect();
        TADOQuery query(&connection);
        for (int i = 0; i < plan.ImportTableList.Count(); ++i) {
            const QString& table = plan.ImportTableList[i];
            if (!IsWritableName(table, connection)) continue;
            try {
                dialect.ExecuteForUserTable(query, table, dialect.DropGuidColumnStatement(table));
            } catch (...) {
                LogHousekeepingError(QStringLiteral("Ошибка удаления GUID-ов для таблицы ") + table, CurrentErrorMessage());
            }
        }
    } catch (...) {
        LogHousekeepingError(QStringLiteral("Ошибка удаления GUID-ов"), CurrentErrorMessage());
    }
}
