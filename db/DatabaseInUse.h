#pragma once
// A database that another program is using. EDatabaseInUse: a statement waited for a lock
// that another connection holds until the command timeout ran out. EDatabaseClaimed: another
// import holds the database's import claim (ImportClaim.h), found at once, without waiting.
// Both carry the backend's own text; the run that meets them names the database.

#include "db/DbError.h"

class EDatabaseInUse : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

class EDatabaseClaimed : public EDatabaseInUse {
public:
    using EDatabaseInUse::EDatabaseInUse;
    // Who holds the claim, where the backend can tell ("клиент 127.0.0.1:40102, ...").
    QString Holder;
};
