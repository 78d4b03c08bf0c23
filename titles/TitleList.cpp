// Filling a list of the front end (the title list) from a table of the source.

#include "titles/TitlePreparation.h"

#include "db/ADOQuery.h"

#include <QStringList>
#include <exception>

// Boolean columns read "True" / "False"; the list shows them in Russian.
static QString DisplayText(const QString& text) {
    if (text == QLatin1String("True")) return QStringLiteral("Да");
    if (text == QLatin1String("False")) return QStringLiteral("Нет");
    return text;
}

void FillListFromTable(const QString& table, TTitleFrontEnd& list, const QString& fieldList, bool distinct,
                       const QString& filterClause, const QString& trailingClause, TADOQuery& sourceQuery) {
    list.BeginUpdate();
    list.ClearItems();
    try {
        sourceQuery.Close();
        sourceQuery.SetSQL(QStringLiteral("select ") + (distinct ? QStringLiteral(" distinct ") : QString()) + fieldList +
                           QStringLiteral(" from ") + table + filterClause + trailingClause);
        sourceQuery.Open();
        for (; !sourceQuery.Eof(); sourceQuery.Next()) {
            QStringList subItems;
            for (int i = 1; i < sourceQuery.FieldCount(); ++i) subItems << DisplayText(sourceQuery.Fields(i).AsString());
            list.AddItem(sourceQuery.Fields(0).AsString(), subItems);
        }
    } catch (const std::exception&) {
        // Whatever the cause, the likely one is a database of another version.
        list.MessageDlg(QStringLiteral("Таблица ") + table +
                            QStringLiteral(" не найдена. Возможная причина - несоответствие версии базы данных"),
                        TMsgDlgType::mtError, TMsgDlgBtn::mbOK);
    }
    list.EndUpdate();
    sourceQuery.Close();
}
