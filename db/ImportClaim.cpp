#include "db/ImportClaim.h"

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/DatabaseInUse.h"
#include "db/MssqlDialect.h"
#include "db/PostgresDialect.h"
#include "support/Exception.h"
#include "support/Log.h"

namespace {

class TStatementClaimHold : public TImportClaimHold {
public:
    TStatementClaimHold(TADOConnection& connection, const QString& releaseStatement)
        : Connection(connection), ReleaseStatement(releaseStatement) {}

    ~TStatementClaimHold() override {
        // A connection that is gone has taken the claim with its session.
        if (!Connection.Connected()) return;
        try {
            TADOQuery query(&Connection);
            query.SetSQL(ReleaseStatement);
            query.ExecSQL();
        } catch (const Exception& error) {
            WriteLog(QStringLiteral("Ошибка снятия блокировки импорта"), 1);
            WriteLog(error.message(), 1);
        } catch (...) {
            WriteLog(QStringLiteral("Ошибка снятия блокировки импорта"), 1);
        }
    }

private:
    TADOConnection& Connection;
    QString ReleaseStatement;
};

}  // namespace

QString ClaimedByAnotherImportText() { return QStringLiteral("база данных уже используется другим импортом"); }

std::unique_ptr<TImportClaimHold> TakeImportClaim(TADOConnection& connection) {
    return connection.Dialect().TakeImportClaim(connection);
}

std::unique_ptr<TImportClaimHold> TakeStatementClaim(TADOConnection& connection, const QString& claimStatement,
                                                     const QString& releaseStatement) {
    TADOQuery query(&connection);
    query.SetSQL(claimStatement);
    query.Open();
    const bool granted = !query.Eof() && query.Fields(0).AsInteger() == 1;
    query.Close();
    if (!granted) throw EDatabaseClaimed(ClaimedByAnotherImportText());
    return std::make_unique<TStatementClaimHold>(connection, releaseStatement);
}

QString PostgresClaimStatement() {
    return QStringLiteral("select case when pg_try_advisory_lock(%1) then 1 else 0 end as claimed")
        .arg(ImportAdvisoryLockKey);
}

QString PostgresReleaseStatement() {
    return QStringLiteral("select pg_advisory_unlock(%1)").arg(ImportAdvisoryLockKey);
}

// @LockTimeout = 0: a claim held by another session is refused at once.
QString MssqlClaimStatement() {
    return QStringLiteral(
        "DECLARE @result int; EXEC @result = sp_getapplock @Resource = N'road-import', @LockMode = N'Exclusive', "
        "@LockOwner = N'Session', @LockTimeout = 0; SELECT CASE WHEN @result >= 0 THEN 1 ELSE 0 END AS claimed");
}

QString MssqlReleaseStatement() {
    return QStringLiteral("EXEC sp_releaseapplock @Resource = N'road-import', @LockOwner = N'Session'");
}

std::unique_ptr<TImportClaimHold> TPostgresDialect::TakeImportClaim(TADOConnection& connection) const {
    return TakeStatementClaim(connection, PostgresClaimStatement(), PostgresReleaseStatement());
}

std::unique_ptr<TImportClaimHold> TMssqlDialect::TakeImportClaim(TADOConnection& connection) const {
    return TakeStatementClaim(connection, MssqlClaimStatement(), MssqlReleaseStatement());
}
