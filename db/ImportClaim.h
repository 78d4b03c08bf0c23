#pragma once
// The exclusive claim that an import takes on its source and on its destination before it
// changes either, so that two imports never share the temporary GUID columns and the section
// link of one database. A second claim on the same database is refused at once
// (EDatabaseClaimed); the claim goes with the process that holds it, so a killed run never
// blocks the next one. Each backend claims its databases its own way (TBackend::TakeImportClaim;
// ConnectionClaim.h takes the claim of a connection).

#include <QString>
#include <memory>

class TStatementRunner;

// Held while it exists; the destructor releases the claim and never raises.
class TImportClaimHold {
public:
    virtual ~TImportClaimHold() = default;
};

// A claim of a database server, held by the connection's session: the claim statement
// returns one row whose first field is 1 when the claim was granted; the release statement
// ends it. The server releases it when the session ends, whichever way it ends, but a killed
// client's session may need a moment to end: a claim held elsewhere is asked again for a few
// seconds before it is refused. The holder statement (when given) names who holds it.
std::unique_ptr<TImportClaimHold> TakeStatementClaim(TStatementRunner& connection, const QString& claimStatement,
                                                     const QString& releaseStatement,
                                                     const QString& holderStatement = QString());

// The text of EDatabaseClaimed.
QString ClaimedByAnotherImportText();
