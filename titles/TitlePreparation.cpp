// The preparation of a title import: from the ticked titles to the copier's plan, with both
// databases made ready for the copy.

#include "titles/TitlePreparation.h"

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/DatabaseName.h"
#include "db/Dialect.h"
#include "support/EAbort.h"
#include "support/Exception.h"
#include "support/Log.h"
#include "titles/DictionaryKeys.h"
#include "titles/DuplicateTitles.h"
#include "titles/TitleClosure.h"

#include <QStringList>

// The keys of the ticked titles as a comma list, in item order. The captions are pasted into
// statements, so only whole numbers are taken.
static QString CheckedTitleKeys(const TTitleFrontEnd& list) {
    QStringList keys;
    for (int i = 0; i < list.ItemCount(); ++i) {
        if (!list.ItemChecked(i)) continue;
        bool ok = false;
        const qlonglong key = list.ItemCaption(i).trimmed().toLongLong(&ok);
        if (!ok) throw Exception(QStringLiteral("Недопустимый код титула: ") + list.ItemCaption(i));
        keys << QString::number(key);
    }
    return keys.join(QStringLiteral(", "));
}

// How the user knows a database: its name in the connection string.
// Without its GUID column a table's copied rows cannot be found again, and every one of
// them would fail. The run stops before any row is copied; the columns made so far in the
// databases of made are removed again.
static void RequireGuidColumns(const QVector<TGuidColumnFailure>& failures, const QString& role,
                               TADOConnection& connection, const TImportPlan& plan,
                               std::initializer_list<TADOConnection*> made) {
    if (failures.isEmpty()) return;
    for (TADOConnection* database : made) DropGuidColumns(plan, *database);
    QString message = QStringLiteral("Импорт невозможен: в таблице ") + failures[0].Table + QLatin1Char(' ') + role +
                      QStringLiteral(" \"") + DatabaseName(connection.ConnectionString) +
                      QStringLiteral("\" не удалось создать временный столбец GUID. Ошибка: ") +
                      failures[0].Reason.simplified();
    if (failures.size() > 1)
        message += QStringLiteral(" (всего таблиц без столбца GUID: ") + QString::number(failures.size()) +
                   QLatin1Char(')');
    WriteLog(message, 1);
    throw EGuidColumnMissing(message);
}

// Without the section link the copier would carry Дорожный_объект.Код_участка as a plain
// value: the source's keys would point at other titles' sections in the destination. When
// road objects are copied, the run stops before any row is; a schema without them needs no
// link.
static void RequireSectionLink(const QString& failure, TADOConnection& source, TADOConnection& dest,
                               const TImportPlan& plan) {
    if (failure.isEmpty() || plan.ImportTableList.IndexOf(QStringLiteral("Дорожный_объект")) < 0) return;
    DropSectionLink(source);
    DropGuidColumns(plan, source);
    DropGuidColumns(plan, dest);
    const QString message = QStringLiteral("Импорт невозможен: Ошибка создания связей в базе-источнике \"") +
                            DatabaseName(source.ConnectionString) + QStringLiteral("\": ") + failure.simplified();
    WriteLog(message, 1);
    throw EPreparationStopped(message);
}

void PrepareTitleImport(TImportPlan& plan, TTitleFrontEnd& frontEnd, TADOConnection& source, TADOConnection& dest) {
    // "Игнорировать" in the duplicate box starts the preparation over on the titles that
    // are still ticked.
    for (;;) {
        plan.ImportTableList.Clear();
        plan.RowSelectionList.Clear();

        const QString keyList = CheckedTitleKeys(frontEnd);
        if (keyList.isEmpty()) {
            frontEnd.MessageDlg(QStringLiteral("Ни один титул не выбран."), TMsgDlgType::mtError, TMsgDlgBtn::mbOK);
            frontEnd.ShowTitlePage();
            throw EAbort();
        }

        const QString duplicates = FindDuplicateTitles(frontEnd, source, dest, keyList);
        if (!duplicates.isEmpty()) {
            const int answer = frontEnd.MessageDlg(DuplicateTitlesMessage(duplicates), TMsgDlgType::mtError,
                                                   TMsgDlgBtn::mbCancel | TMsgDlgBtn::mbIgnore);
            if (answer != mrIgnore) {
                frontEnd.ShowTitlePage();
                throw EAbort();
            }
            continue;
        }

        AddImportTable(plan, QStringLiteral("Титул"), keyList);
        for (const QString& table : ExcludedTables()) AddExcludedTable(plan, table);
        CollectDependents(plan, 0, source);
        BuildDictionaryKeys(plan, source);
        RequireGuidColumns(CreateGuidColumns(plan, source), QStringLiteral("базы-источника"), source, plan,
                           {&source});
        RequireGuidColumns(CreateGuidColumns(plan, dest), QStringLiteral("базы-приемника"), dest, plan,
                           {&source, &dest});
        RequireSectionLink(AddSectionLink(source), source, dest, plan);
        return;
    }
}

// Inside the destination's transaction only: outside one there is nothing pending.
static void RunDeferredChecks(TADOConnection& connection) {
    if (connection.NoTransactionOpen()) return;
    connection.Dialect().RunDeferredChecks(connection);
}

void DropImportSchemaChanges(const TImportPlan& plan, TADOConnection& source, TADOConnection& dest) {
    RunDeferredChecks(dest);
    DropGuidColumns(plan, source);
    DropGuidColumns(plan, dest);
    DropSectionLink(source);
}
