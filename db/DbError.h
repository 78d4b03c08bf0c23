#pragma once
// An error of the access layer; its message is the driver's own text.

#include "support/Exception.h"

class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};
