#include "copier/CopyPlan.h"

#include "copier/CatalogueCache.h"
#include "copier/SchemaIntrospection.h"
#include "db/ADOQuery.h"
#include "support/Exception.h"

namespace {

// Deletes the character before the last one: the trailing comma of a list whose last blank
// stays.
void TrimListEnd(QString& list) {
    if (list.size() >= 2) list.remove(list.size() - 2, 1);
}

// Deletes the four characters before the last one: the trailing " and" of the condition.
void TrimConditionEnd(QString& condition) {
    if (condition.size() >= 5) condition.remove(condition.size() - 5, 4);
}

int FirstCopiedPosition(const TCopyPlan& plan, TADOConnection& source) {
    const bool keyRefers = !GetReferencedTable(plan.Table, plan.KeyColumn(), source).isEmpty();
    return keyRefers || plan.MatchColumns.Contains(plan.KeyColumn()) ? 0 : 1;
}

// Which copied columns are large objects in the destination; they never enter the condition.
QVector<bool> ReadLargeObjectColumns(const TCopyPlan& plan, TADOConnection& dest) {
    TADOQuery types(&dest);
    types.SetSQL(QStringLiteral("SELECT ") + plan.Columns.Strings().join(QStringLiteral(", ")) +
                 QStringLiteral(" FROM ") + plan.Table + QStringLiteral(" Where 1=2"));
    types.Open();
    QVector<bool> largeObject(plan.Columns.Count(), false);
    for (int p = plan.FirstCopied; p < plan.Columns.Count(); ++p)
        largeObject[p] = IsLargeObject(types.FieldByName(plan.Columns[p]).DataType());
    types.Close();
    return largeObject;
}

// The columns, s, the references and the large objects of the table: asked of the
// catalogues, or taken from what the run learned in an earlier call for the same table.
TTableCatalogue TableCatalogue(TCopyPlan& plan, TADOConnection& source, TADOConnection& dest, bool keyFirst) {
    TCatalogueRunCache* cache = TCatalogueRunCache::Current();
    const QString key = cache ? TCatalogueRunCache::KeyOf(plan.Table, plan.MatchColumns, keyFirst, source, dest)
                              : QString();
    if (cache)
        if (const TTableCatalogue* known = cache->Find(key)) return *known;
    TTableCatalogue catalogue;
    SplitList(GetColumnList(plan.Table, source, keyFirst ? plan.MatchColumns[0] : QString()), plan.Columns);
    plan.FirstCopied = FirstCopiedPosition(plan, source);
    catalogue.LargeObject = ReadLargeObjectColumns(plan, dest);
    for (int p = plan.FirstCopied; p < plan.Columns.Count(); ++p)
        catalogue.References.append(GetReferencedTable(plan.Table, plan.Columns[p], source));
    catalogue.Columns = plan.Columns;
    catalogue.FirstCopied = plan.FirstCopied;
    if (cache) cache->Keep(key, catalogue);
    return catalogue;
}

}  // namespace

void FindMatchColumns(const QString& table, const TStringList& matchTables, const TStringList& matchColumns,
                      TStringList& columns) {
    columns.Clear();
    const int index = matchTables.IndexOf(table);
    if (index >= 0 && index < matchColumns.Count()) SplitList(matchColumns[index], columns);
}

void ComposeStatementTexts(TCopyPlan& plan, const QVector<bool>& largeObject, const QString& selection) {
    const int count = plan.Columns.Count();
    plan.InSetList = QVector<bool>(count, false);
    plan.InCondition = QVector<bool>(count, false);
    QString insertList, valueList, setList, condition;
    for (int p = plan.FirstCopied; p < count; ++p) {
        const QString& col = plan.Columns[p];
        const QString number = QString::number(p);
        insertList += col + QStringLiteral(", ");
        valueList += QStringLiteral(":Val") + number + QStringLiteral(", ");
        if (plan.HasMatchColumns() && !plan.MatchColumns.Contains(col)) {
            setList += col + QStringLiteral("=") + QStringLiteral(":SetVal") + number + QStringLiteral(", ");
            plan.InSetList[p] = true;
        } else if (!largeObject[p]) {
            condition += QStringLiteral("(") + col + QStringLiteral("=") + QStringLiteral(":Where") + number +
                         QStringLiteral(" or ") + QStringLiteral("(:WhereN") + number + QStringLiteral(" is NULL and ") +
                         col + QStringLiteral(" is NULL)) and ");
            plan.InCondition[p] = true;
        }
    }
    TrimListEnd(insertList);
    TrimListEnd(valueList);
    TrimListEnd(setList);
    TrimConditionEnd(condition);
    plan.HasSetList = !setList.isEmpty();
    plan.HasCondition = !condition.isEmpty();
    if (plan.HasCondition) condition = QStringLiteral(" WHERE ") + condition;

    plan.InsertText = QStringLiteral("INSERT INTO ") + plan.Table + QStringLiteral("(") + insertList +
                      QStringLiteral(") VALUES(") + valueList + QStringLiteral(")");
    plan.UpdateText = QStringLiteral("UPDATE ") + plan.Table + QStringLiteral(" SET ") + setList + condition;
    plan.ProbeText = QStringLiteral("SELECT ") + plan.KeyColumn() + QStringLiteral(" FROM ") + plan.Table + condition;
    plan.SourcePrefix = QStringLiteral("select ") + plan.Columns.Strings().join(QStringLiteral(", ")) +
                        QStringLiteral("  from ") + plan.Table + QStringLiteral(" where ") + plan.KeyColumn() +
                        QStringLiteral(" in (");
    plan.SourceText = plan.SourcePrefix + selection + QStringLiteral(")");
}

TCopyPlan PrepareCopyPlan(const QString& table, const QString& selection, const TStringList& matchTables,
                          const TStringList& matchColumns, TADOConnection& source, TADOConnection& dest,
                          bool keyFirst) {
    TCopyPlan plan;
    plan.Table = table;
    FindMatchColumns(table, matchTables, matchColumns, plan.MatchColumns);
    TCatalogueRunCache* cache = TCatalogueRunCache::Current();
    const QString key = cache ? TCatalogueRunCache::KeyOf(table, plan.MatchColumns, keyFirst, source, dest) : QString();
    if (cache)
        if (const TCopyPlan* known = cache->FindPlan(key)) {
            plan = *known;
            plan.SourceText = plan.SourcePrefix + selection + QStringLiteral(")");
            return plan;
        }
    if (keyFirst && !plan.HasMatchColumns())
        throw Exception(QStringLiteral("Таблица ") + table +
                        QStringLiteral(": ключом назначен первый столбец сопоставления, но столбцы сопоставления не заданы"));

    const TTableCatalogue catalogue = TableCatalogue(plan, source, dest, keyFirst);
    plan.Columns = catalogue.Columns;
    plan.FirstCopied = catalogue.FirstCopied;
    plan.References = catalogue.References;
    ComposeStatementTexts(plan, catalogue.LargeObject, selection);
    if (!plan.HasCondition)
        throw Exception(QStringLiteral("Таблица ") + table +
                        QStringLiteral(": нет столбцов, по которым можно найти запись в базе-приемнике "
                                       "(столбцы сопоставления отсутствуют в таблице или являются большими объектами); "
                                       "записи таблицы не переносятся"));
    if (cache) cache->KeepPlan(key, plan);
    return plan;
}
