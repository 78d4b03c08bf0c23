#include "titles/DuplicateTitles.h"

#include "db/ADOQuery.h"
#include "titles/TitleFrontEnd.h"

#include <QStringList>

static const QChar carriageReturn(13);

int FindTitleItem(const TTitleFrontEnd& list, const QString& name) {
    int found = -1;
    for (int i = 0; i < list.ItemCount(); ++i)
        if (list.ItemSubItem(i) == name) found = i;
    return found;
}

// A name between apostrophes, its own apostrophes doubled, so that a name like "Д'Артаньян"
// neither breaks the statement nor changes it.
static QString QuotedName(const QString& name) {
    QString doubled = name;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

QString FindDuplicateTitles(TTitleFrontEnd& list, TADOConnection& source, TADOConnection& dest,
                            const QString& keyList) {
    TADOQuery sourceQuery(&source);
    sourceQuery.SetSQL(QStringLiteral("select Наименование from Титул where Код_титула in(") + keyList +
                       QStringLiteral(")"));
    sourceQuery.Open();
    QStringList sourceNames;
    QString nameList;
    for (; !sourceQuery.Eof(); sourceQuery.Next()) {
        const QString name = sourceQuery.Fields(0).AsString();
        sourceNames << name;
        nameList += QuotedName(name) + QStringLiteral(", ");
    }
    sourceQuery.Close();
    // None of the keys is in the source any more: there is nothing to compare, and "in()"
    // is not a statement the server takes.
    if (sourceNames.isEmpty()) return QString();
    nameList.remove(nameList.size() - 2, 1);

    TADOQuery destQuery(&dest);
    destQuery.SetSQL(QStringLiteral("select Наименование from Титул where Наименование in(") + nameList +
                     QStringLiteral(")"));
    destQuery.Open();
    QString result;
    for (; !destQuery.Eof(); destQuery.Next()) {
        const QString name = destQuery.Fields(0).AsString();
        if (sourceNames.contains(name, Qt::CaseInsensitive)) result += name + QStringLiteral(", ") + carriageReturn;
        const int item = FindTitleItem(list, name);
        if (item >= 0) list.SetItemChecked(item, false);
    }
    destQuery.Close();
    if (!result.isEmpty()) result.chop(3);
    return result;
}

QString DuplicateTitlesMessage(const QString& duplicates) {
    return QStringLiteral("Титулы: ") + carriageReturn + duplicates + carriageReturn +
           QStringLiteral("невозможно импортировать, т.к. в целевой базе данных существуют титулы с такими же именами.");
}
