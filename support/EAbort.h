#pragma once
// The silent abort: raised to stop an operation after the user has been told why (or
// when the user asked for the stop). No handler ever shows it.

#include "support/Exception.h"

class EAbort : public Exception {
public:
    EAbort() : Exception(QStringLiteral("Operation aborted")) {}
};
