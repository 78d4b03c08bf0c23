#include "titles/DictionaryKeys.h"

#include "db/ADOQuery.h"
#include "db/Dialect.h"

const QVector<QPair<QString, QString>>& FixedMatchColumns() {
    static const QVector<QPair<QString, QString>> pairs = {
        {QStringLiteral("Справочник_типов_событий"), QStringLiteral("Описание, Код_типа_объекта, Код_подтипа_объекта")},
        {QStringLiteral("Справочник_наименований_результатов_измерений"), QStringLiteral("Описание, Код_вида_измерения")},
        {QStringLiteral("Справочник_видов_измерений"), QStringLiteral("Описание, Код_типа_объекта, Код_подтипа_объекта")},
        {QStringLiteral("Район"), QStringLiteral("Наименование, Код_региона")},
        {QStringLiteral("Регион"), QStringLiteral("Наименование")},
        {QStringLiteral("Населенный_пункт"), QStringLiteral("Наименование, Код_района")},
        {QStringLiteral("Организация"), QStringLiteral("Наименование")},
        {QStringLiteral("Справочник_типов_дефектов"), QStringLiteral("Описание, Код_типа_объекта, Код_подтипа_объекта")},
        {QStringLiteral("Справочник_типов_работ"), QStringLiteral("Описание, Код_типа_объекта, Код_подтипа_объекта")},
        {QStringLiteral("Справочник_параметров_дефектов_мостов"), QStringLiteral("Код_типа_дефекта, Код_типа_параметра")},
        {QStringLiteral("Справочник_водоемов"), QStringLiteral("Наименование_водоема")},
        {QStringLiteral("Справочник_дефектов_мостов"), QStringLiteral("Наименование, Код_группы")},
        {QStringLiteral("Справочник_типов_знаков"), QStringLiteral("Номер_по_ГОСТу")},
        {QStringLiteral("Справочник_типов_параметров_дефектов_мостов"), QStringLiteral("Наименование")},
        {QStringLiteral("Справочник_типов_расположений_дефектов_мостов"), QStringLiteral("Наименование")},
    };
    return pairs;
}

void BuildDictionaryKeys(TImportPlan& plan, TADOConnection& connection) {
    // The GUID entries come first, so that a dictionary in the closure is matched by GUID
    // (the first entry for a name counts).
    for (int i = 0; i < plan.ImportTableList.Count(); ++i) {
        plan.MatchTableList.Add(plan.ImportTableList[i]);
        plan.MatchColumnList.Add(QStringLiteral("GUID"));
    }
    for (const auto& pair : FixedMatchColumns()) {
        plan.MatchTableList.Add(pair.first);
        plan.MatchColumnList.Add(pair.second);
    }
    TADOQuery query(&connection);
    query.SetSQL(connection.Dialect().DictionaryTablesStatement());
    query.Open();
    for (; !query.Eof(); query.Next()) {
        const QString table = query.Fields(0).AsString();
        if (plan.MatchTableList.Contains(table)) continue;
        plan.MatchTableList.Add(table);
        plan.MatchColumnList.Add(QStringLiteral("Описание"));
    }
    query.Close();
}
