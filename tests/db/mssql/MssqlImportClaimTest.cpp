// The import claim of a SQL Server database: a session application lock, by its exact
// statements.

#include "common/RecordingConnection.h"

#include "db/DatabaseInUse.h"
#include "db/ConnectionClaim.h"

#include <gtest/gtest.h>

TEST(ImportClaim, SqlServerHoldsASessionApplicationLockAndRefusesOneHeldElsewhere) {
    const QString claim = QStringLiteral(
        "DECLARE @result int; EXEC @result = sp_getapplock @Resource = N'road-import', @LockMode = N'Exclusive', "
        "@LockOwner = N'Session', @LockTimeout = 0; SELECT CASE WHEN @result >= 0 THEN 1 ELSE 0 END AS claimed");
    const QString release = QStringLiteral("EXEC sp_releaseapplock @Resource = N'road-import', @LockOwner = N'Session'");
    TRecordingConnection connection;
    connection.ConnectionString = QStringLiteral("Provider=SQLOLEDB.1;Data Source=server;Initial Catalog=roads");
    connection.Open();
    int granted = 1;
    connection.Responder = [&](const QString& sql, const QVector<TBoundParam>&, bool) {
        return sql.contains(QStringLiteral("sp_getapplock")) ? MakeRowSet({QStringLiteral("claimed")}, {{granted}})
                                                              : TRowSet();
    };

    std::unique_ptr<TImportClaimHold> hold = TakeImportClaim(connection);
    EXPECT_EQ(connection.Statements, QStringList{claim});
    hold.reset();
    EXPECT_EQ(connection.Statements, (QStringList{claim, release}));

    // Held elsewhere: asked again for a few seconds (a killed client's session may still be
    // ending), then refused.
    granted = 0;
    connection.Statements.clear();
    EXPECT_THROW(TakeImportClaim(connection), EDatabaseClaimed);
    EXPECT_GT(connection.Statements.size(), 1);
    EXPECT_EQ(connection.Statements.filter(claim).size(), connection.Statements.size());
}
