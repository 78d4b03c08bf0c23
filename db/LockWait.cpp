#include "db/LockWait.h"

#include "db/BackendOpen.h"
#include "db/DbError.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <climits>

namespace {

// SQLite's primary result codes of a lock another connection holds.
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;

void ExecuteSetting(const QSqlDatabase& db, const QString& statement) {
    QSqlQuery query(db);
    if (!query.exec(statement)) throw EDatabaseError(DriverText(query.lastError()));
}

}  // namespace

bool IsLockWaitExhausted(TBackendKind kind, const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    switch (kind) {
    case TBackendKind::Sqlite: {
        bool ok = false;
        const int result = code.toInt(&ok) & 0xff;  // an extended code keeps the primary one in its low byte
        return ok && (result == SqliteBusy || result == SqliteLocked);
    }
    case TBackendKind::PostgreSql:
        return code == QLatin1String("55P03");  // lock_not_available
    case TBackendKind::SqlServer:
        return false;
    }
    return false;
}

long long PostgresLockTimeoutMs(int commandTimeout) {
    if (commandTimeout <= 0) return 0;
    const long long ms = static_cast<long long>(commandTimeout) * 1000;
    return ms - std::min<long long>(1000, ms / 10);
}

void ApplyLockWait(const QSqlDatabase& db, TBackendKind kind, int commandTimeout, bool waitForLocks) {
    switch (kind) {
    case TBackendKind::Sqlite: {
        long long ms = 0;
        if (waitForLocks)
            ms = commandTimeout > 0 ? std::min<long long>(static_cast<long long>(commandTimeout) * 1000, INT_MAX) : INT_MAX;
        ExecuteSetting(db, QStringLiteral("PRAGMA busy_timeout = %1").arg(ms));
        break;
    }
    case TBackendKind::PostgreSql:
        // 0 would mean no limit: 1 ms is the shortest wait there is.
        ExecuteSetting(db, QStringLiteral("SET lock_timeout = %1")
                               .arg(waitForLocks ? PostgresLockTimeoutMs(commandTimeout) : 1));
        break;
    case TBackendKind::SqlServer:
        break;
    }
}
