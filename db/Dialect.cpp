#include "db/Dialect.h"

#include "db/ADOQuery.h"

#include "db/MssqlDialect.h"
#include "db/PostgresDialect.h"
#include "db/SqliteDialect.h"

const TDialect& DialectOf(TBackendKind kind) {
    static const TMssqlDialect mssql;
    static const TPostgresDialect postgres;
    static const TSqliteDialect sqlite;
    switch (kind) {
    case TBackendKind::SqlServer: return mssql;
    case TBackendKind::PostgreSql: return postgres;
    case TBackendKind::Sqlite: return sqlite;
    }
    return mssql;
}

void TDialect::ExecuteWhenCounted(TADOQuery& query, const QString& countStatement, const QString& statement) {
    query.SetSQL(countStatement);
    query.Open();
    const bool exists = query.Fields(0).AsInteger() > 0;
    query.Close();
    if (!exists) return;
    query.SetSQL(statement);
    query.ExecSQL();
}

void TDialect::RunDeferredChecks(TADOQuery&) const {}
