#include "db/Dialect.h"

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
