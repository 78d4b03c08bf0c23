#include "titles/TitleClosure.h"

#include "copier/Callbacks.h"
#include "copier/CatalogueNames.h"
#include "copier/CopierRun.h"
#include "copier/SchemaIntrospection.h"
#include "db/ADOQuery.h"
#include "db/Dialect.h"
#include "support/Log.h"

const QStringList& ExcludedTables() {
    static const QStringList tables = {QStringLiteral("Building"), QStringLiteral("ДТП"),
                                       QStringLiteral("Транспортное_средство"), QStringLiteral("Участники_ДТП"),
                                       QStringLiteral("Расчетные_объекты")};
    return tables;
}

void AddImportTable(TImportPlan& plan, const QString& table, const QString& selection) {
    if (plan.ImportTableList.Contains(table)) return;
    plan.ImportTableList.Add(table, imCopy);
    plan.RowSelectionList.Add(selection);
}

void AddExcludedTable(TImportPlan& plan, const QString& table) {
    if (plan.ImportTableList.Contains(table)) return;
    plan.ImportTableList.Add(table, imSkip);
    plan.RowSelectionList.Add(QString());
}

QString FindReferenceColumn(const QString& dependent, const QString& parent, TADOConnection& connection) {
    TADOQuery query(&connection);
    query.SetSQL(connection.Dialect().ForeignKeysStatement(dependent));
    query.Open();
    QString column;
    for (; !query.Eof(); query.Next())
        if (query.FieldByName(QStringLiteral("pktable_name")).AsString() == parent)
            column = query.FieldByName(QStringLiteral("fkcolumn_name")).AsString();
    query.Close();
    return column;
}

QString BuildDependentSelect(const QString& dependent, const QString& parent, const QString& parentSelection,
                             TADOConnection& connection, QString* whyNot) {
    const QString key = GetPrimaryKeyColumn(dependent, connection);
    const QString parentKey = GetPrimaryKeyColumn(parent, connection);
    const QString reference = FindReferenceColumn(dependent, parent, connection);
    QString reason;
    if (key.isEmpty()) reason = QStringLiteral("у нее нет первичного ключа");
    else if (parentKey.isEmpty()) reason = QStringLiteral("у таблицы ") + parent + QStringLiteral(" нет первичного ключа");
    else if (reference.isEmpty())
        reason = QStringLiteral("не найден столбец, которым она ссылается на таблицу ") + parent;
    if (!reason.isEmpty()) {
        if (whyNot) *whyNot = reason;
        return QString();
    }
    return QStringLiteral("select T1.") + key + QStringLiteral(" from ") + dependent + QStringLiteral(" as T1 inner join ") +
           parent + QStringLiteral(" as T2 on T1.") + reference + QStringLiteral("=T2.") + parentKey +
           QStringLiteral(" where T2.") + parentKey + QStringLiteral(" in (") + parentSelection + QStringLiteral(")");
}

QString DefectSelection(const QString& parentSelection) {
    return QStringLiteral(
               "select T1.Код_дефекта from Дефект as T1 inner join Событие as T2 on "
               "T1.Код_события_обнаружения=T2.Код_события where T2.Код_события in (") +
           parentSelection + QStringLiteral(") ");
}

// Tells the operator why a table that belongs to the titles stays out of the copy.
static void ReportExcludedDependent(const QString& dependent, const QString& reason) {
    const QString line = QStringLiteral("Таблица ") + dependent + QStringLiteral(" не будет импортирована: ") + reason;
    WriteLog(line, 1);
    if (OnLogLine) OnLogLine(line);
}

void AddDependentTable(TImportPlan& plan, const QString& dependent, const QString& parent,
                       const QString& parentSelection, TADOConnection& connection) {
    // A selection with an empty column name would fail the whole copy when the copier runs
    // it, so such a table is listed as not copied instead.
    QString reason;
    const QString selection = BuildDependentSelect(dependent, parent, parentSelection, connection, &reason);
    if (selection.isEmpty()) {
        AddExcludedTable(plan, dependent);
        ReportExcludedDependent(dependent, reason);
        return;
    }
    AddImportTable(plan, dependent, selection);
}

void CollectDependents(TImportPlan& plan, int index, TADOConnection& connection) {
    const QString parent = plan.ImportTableList[index];
    const QString parentSelection = plan.RowSelectionList[index];

    TADOQuery query(&connection);
    query.SetSQL(connection.Dialect().ReferencingTablesStatement(parent));
    query.Open();
    QStringList dependents;
    for (; !query.Eof(); query.Next()) dependents << query.Fields(0).AsString();
    query.Close();

    for (const QString& dependent : dependents) {
        if (dependent == parent) continue;  // a reference to itself is not walked again
        if (plan.ImportTableList.Contains(dependent)) continue;
        // A name that would change the statements it is pasted into leaves its table out
        // before any statement names it.
        const QString unwritable = UnwritableNameReason(dependent, connection);
        if (!unwritable.isEmpty()) {
            AddExcludedTable(plan, dependent);
            ReportExcludedDependent(dependent, unwritable);
            continue;
        }
        if (dependent == QStringLiteral("Дефект"))
            AddImportTable(plan, dependent, DefectSelection(parentSelection));
        else
            AddDependentTable(plan, dependent, parent, parentSelection, connection);
        // A table's own dependents follow it directly, before its next sibling; a table
        // listed as not copied is not walked into.
        const int position = plan.ImportTableList.IndexOf(dependent);
        if (position >= 0 && plan.ImportTableList.Mark(position) == imCopy)
            CollectDependents(plan, position, connection);
    }
}
