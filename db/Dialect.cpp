// What every dialect shares: the guard of a statement by a count of tables, and no deferred
// checks unless the backend has them.

#include "db/Dialect.h"

#include "db/StatementRunner.h"

void TDialect::ExecuteWhenCounted(TStatementRunner& runner, const QString& countStatement, const QString& statement) {
    if (ScalarOf(runner, countStatement).toLongLong() > 0) ExecuteText(runner, statement);
}

void TDialect::RunDeferredChecks(TStatementRunner&) const {}
