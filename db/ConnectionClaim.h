#pragma once
// The import claim of a connection's database (ImportClaim.h), taken by the backend that its
// connection string names.

#include "db/ImportClaim.h"

#include <memory>

class TADOConnection;

// Raises EDatabaseClaimed when another import holds the claim, EDatabaseError when it
// cannot be taken.
std::unique_ptr<TImportClaimHold> TakeImportClaim(TADOConnection& connection);
