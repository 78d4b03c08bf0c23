#include "common/FloorCopy.h"

#include "copier/CopierRun.h"
#include "db/ADOQuery.h"
#include "db/SqlText.h"
#include "sample/SampleDatabase.h"

#include <QElapsedTimer>
#include <QStringList>

namespace {

int Execute(TADOConnection& connection, const QString& statement) {
    TADOQuery query(&connection);
    query.SetSQL(statement);
    return query.ExecSQL();
}

// The columns the floor copies: all but a single-column key, which the destination assigns.
QStringList CopiedColumns(TADOConnection& connection, const QString& table, QString& key) {
    TADOQuery query(&connection);
    query.SetSQL(QStringLiteral("select name, pk from pragma_table_info(") + SqlStringLiteral(table) +
                 QStringLiteral(", 'main') order by cid"));
    query.Open();
    QStringList columns, keys;
    for (; !query.Eof(); query.Next()) {
        columns << query.Fields(0).AsString();
        if (query.Fields(1).AsInteger() > 0) keys << query.Fields(0).AsString();
    }
    key = keys.value(0);
    if (keys.size() == 1) columns.removeAll(keys.first());
    return columns;
}

}  // namespace

TFloorResult CopyAtFloor(const QString& sourcePath, const QString& destPath, const TImportPlan& plan) {
    TADOConnection connection;
    connection.ConnectionString = SampleConnectionString(sourcePath);
    connection.CommandTimeout = 0;
    connection.Open();
    Execute(connection, QStringLiteral("PRAGMA foreign_keys = OFF"));
    Execute(connection, QStringLiteral("ATTACH DATABASE ") + SqlStringLiteral(destPath) + QStringLiteral(" AS floor_dest"));

    // The statements are made before the clock starts: the floor is the copy alone.
    QStringList statements;
    for (int i = 0; i < plan.ImportTableList.Count(); ++i) {
        if (plan.ImportTableList.Mark(i) == imSkip) continue;
        const QString& table = plan.ImportTableList[i];
        QString key;
        const QString columns = CopiedColumns(connection, table, key).join(QStringLiteral(", "));
        QString statement = QStringLiteral("INSERT INTO floor_dest.") + table + QStringLiteral("(") + columns +
                            QStringLiteral(") SELECT ") + columns + QStringLiteral(" FROM main.") + table;
        const QString selection = plan.RowSelectionList.Strings().value(i);
        if (!selection.isEmpty() && !key.isEmpty())
            statement += QStringLiteral(" WHERE ") + key + QStringLiteral(" IN (") + selection + QStringLiteral(")");
        statements << statement;
    }

    TFloorResult result;
    QElapsedTimer clock;
    clock.start();
    Execute(connection, QStringLiteral("BEGIN TRANSACTION;"));
    for (const QString& statement : statements) result.Rows += Execute(connection, statement);
    Execute(connection, QStringLiteral("COMMIT TRANSACTION;"));
    result.Seconds = clock.nsecsElapsed() / 1e9;
    Execute(connection, QStringLiteral("DETACH DATABASE floor_dest"));
    return result;
}
