#pragma once
// The exclusive claim that an import takes on its source and on its destination before it
// changes either, so that two imports never share the temporary GUID columns and the section
// link of one database. A second claim on the same database is refused at once
// (EDatabaseClaimed); the claim goes with the process that holds it, so a killed run never
// blocks the next one.
//
//   SQLite      a lock on the file "<database file>.import-lock" beside the database, which
//               other processes see (flock; on Windows the file opened for no one else),
//               removed when the claim is released
//   PostgreSQL  a session advisory lock (ImportAdvisoryLockKey) of the run's connection
//   SQL Server  a session application lock "road-import" (sp_getapplock) of the run's
//               connection
//
// The servers keep an advisory or application lock per database and release it when the
// session ends, whichever way it ends.

#include <QString>
#include <memory>

class TADOConnection;

// Held while it exists; the destructor releases the claim and never raises.
class TImportClaimHold {
public:
    virtual ~TImportClaimHold() = default;
};

// The claim of the connection's database through its dialect.
std::unique_ptr<TImportClaimHold> TakeImportClaim(TADOConnection& connection);

// A claim of a database server: the claim statement returns one row whose first field is 1
// when the claim was granted; the release statement ends it. Used by the server dialects.
std::unique_ptr<TImportClaimHold> TakeStatementClaim(TADOConnection& connection, const QString& claimStatement,
                                                     const QString& releaseStatement);

// The advisory lock key of the PostgreSQL claim (the bytes of "RoadImpt").
constexpr long long ImportAdvisoryLockKey = 5940073516881506420LL;

// The statements of the server claims.
QString PostgresClaimStatement();
QString PostgresReleaseStatement();
QString MssqlClaimStatement();
QString MssqlReleaseStatement();

// The text of EDatabaseClaimed.
QString ClaimedByAnotherImportText();
