// The preparation of a title import: from the ticked titles to the copier's plan, with both
// databases made ready for the copy.

#include "titles/TitlePreparation.h"

#include "support/EAbort.h"
#include "support/Exception.h"
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
        CreateGuidColumns(plan, source);
        CreateGuidColumns(plan, dest);
        AddSectionLink(source);
        return;
    }
}

void DropImportSchemaChanges(const TImportPlan& plan, TADOConnection& source, TADOConnection& dest) {
    DropGuidColumns(plan, source);
    DropGuidColumns(plan, dest);
    DropSectionLink(source);
}
