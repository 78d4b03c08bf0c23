// The shapes in which the layer's own code runs a statement on a runner.

#include "db/StatementRunner.h"

void ExecuteText(TStatementRunner& runner, const QString& sql) { runner.Run(sql, {}, false); }

TRowSet RowsOf(TStatementRunner& runner, const QString& sql) { return runner.Run(sql, {}, true); }

QVariant ScalarOf(TStatementRunner& runner, const QString& sql) {
    const TRowSet rows = RowsOf(runner, sql);
    if (rows.Rows.isEmpty() || rows.Rows.front().isEmpty()) return QVariant();
    return rows.Rows.front().front();
}
