#pragma once
// The database housekeeping of the title preparation never raises: an error becomes two
// entries of the diagnostic log, a Russian message and then the error's own text.

#include <QString>

// The message of the error being handled; call it only inside a catch block.
QString CurrentErrorMessage();

void LogHousekeepingError(const QString& message, const QString& errorMessage);
