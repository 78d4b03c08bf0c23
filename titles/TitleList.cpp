// Filling a list of the front end (the title list) from a table of the source.

#include "titles/TitlePreparation.h"

#include "db/ADOQuery.h"

#include <QStringList>
#include <QVector>
#include <algorithm>
#include <exception>

// Boolean columns read "True" / "False"; the list shows them in Russian.
static QString DisplayText(const QString& text) {
    if (text == QLatin1String("True")) return QStringLiteral("Да");
    if (text == QLatin1String("False")) return QStringLiteral("Нет");
    return text;
}

namespace {

struct TListRow {
    QString Caption;
    QStringList SubItems;
};

// Rows in the order of their first field when every one reads as a whole number (the
// key), otherwise as the server sent them. A select without an order returns rows as they
// are stored, and PostgreSQL stores a row anew whenever it is updated (every import writes
// the source's titles), so the list would change its order from run to run.
void OrderByKey(QVector<TListRow>& rows) {
    QVector<qlonglong> keys;
    keys.reserve(rows.size());
    for (const TListRow& row : rows) {
        bool ok = false;
        keys.append(row.Caption.trimmed().toLongLong(&ok));
        if (!ok) return;
    }
    QVector<int> order(rows.size());
    for (int i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&keys](int a, int b) { return keys[a] < keys[b]; });
    QVector<TListRow> sorted;
    sorted.reserve(rows.size());
    for (const int i : order) sorted.append(rows[i]);
    rows = sorted;
}

}  // namespace

void FillListFromTable(const QString& table, TTitleFrontEnd& list, const QString& fieldList, bool distinct,
                       const QString& filterClause, const QString& trailingClause, TADOQuery& sourceQuery) {
    list.BeginUpdate();
    list.ClearItems();
    QVector<TListRow> rows;
    bool failed = false;
    try {
        sourceQuery.Close();
        sourceQuery.SetSQL(QStringLiteral("select ") + (distinct ? QStringLiteral(" distinct ") : QString()) + fieldList +
                           QStringLiteral(" from ") + table + filterClause + trailingClause);
        sourceQuery.Open();
        for (; !sourceQuery.Eof(); sourceQuery.Next()) {
            TListRow row{sourceQuery.Fields(0).AsString(), {}};
            for (int i = 1; i < sourceQuery.FieldCount(); ++i) row.SubItems << DisplayText(sourceQuery.Fields(i).AsString());
            rows.append(row);
        }
    } catch (const std::exception&) {
        failed = true;
    }
    // The rows read before an error stay in the list. A trailing clause brings its own order.
    if (trailingClause.trimmed().isEmpty()) OrderByKey(rows);
    for (const TListRow& row : rows) list.AddItem(row.Caption, row.SubItems);
    if (failed)
        // Whatever the cause, the likely one is a database of another version.
        list.MessageDlg(QStringLiteral("Таблица ") + table +
                            QStringLiteral(" не найдена. Возможная причина - несоответствие версии базы данных"),
                        TMsgDlgType::mtError, TMsgDlgBtn::mbOK);
    list.EndUpdate();
    sourceQuery.Close();
}
