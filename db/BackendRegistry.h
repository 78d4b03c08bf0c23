#pragma once
// The one place that knows every backend: which backend a connection string's provider
// names, and the backends the data-link dialog offers.

#include "db/Backend.h"

#include <QVector>

// Every backend, in the order the data-link dialog offers them (SQL Server first, the
// provider the connections are designed with).
const QVector<const TBackend*>& Backends();

// The backend of a provider (letter case ignored): SQLOLEDB / SQLNCLI / MSOLEDBSQL -> SQL
// Server, PostgreSQL -> PostgreSQL, SQLite -> SQLite. Raises EDatabaseError "Провайдер \"X\"
// не поддерживается" for any other.
const TBackend& BackendOfProvider(const QString& provider);

// The backend of a connection string's parameters; a string without a Provider pair means
// SQL Server, the provider the connections are designed with ("SQLOLEDB.1").
const TBackend& BackendOf(const TConnectionParams& params);
