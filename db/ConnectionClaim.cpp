// A connection's import claim, by its backend.

#include "db/ConnectionClaim.h"

#include "db/ADOConnection.h"
#include "db/Backend.h"

std::unique_ptr<TImportClaimHold> TakeImportClaim(TADOConnection& connection) {
    return connection.Backend().TakeImportClaim(connection, ParseConnectionString(connection.ConnectionString));
}
