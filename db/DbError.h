#pragma once
// An error of the access layer; its message is the driver's own text.

#include "support/Exception.h"

class TStatementRunner;

class EDatabaseError : public Exception {
public:
    using Exception::Exception;

    // The connection whose statement met the error, once it has passed through one, so that
    // the run can name the database.
    const TStatementRunner* Connection = nullptr;
    // The server found no table or column of the name the statement gave: the database's
    // schema is not the one expected.
    bool MissingObject = false;
};
