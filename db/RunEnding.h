#pragma once
// Errors after which an import cannot go on with the next row: the server ended the run's
// transaction (ETransactionEnded: every later statement would commit by itself), or the
// database fails every statement alike (EDatabaseFailing: a full disk, an I/O error, a
// malformed file, no memory). Both carry the server's own text.

#include "db/DbError.h"

class ERunEnding : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

class ETransactionEnded : public ERunEnding {
public:
    using ERunEnding::ERunEnding;
};

class EDatabaseFailing : public ERunEnding {
public:
    using ERunEnding::ERunEnding;
};
