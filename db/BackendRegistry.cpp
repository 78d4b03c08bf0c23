// The registry of backends: the only file that names them all.

#include "db/BackendRegistry.h"

#include "db/DbError.h"
#include "db/mssql/MssqlBackend.h"
#include "db/postgres/PostgresBackend.h"
#include "db/sqlite/SqliteBackend.h"

const QVector<const TBackend*>& Backends() {
    static const TMssqlBackend mssql;
    static const TPostgresBackend postgres;
    static const TSqliteBackend sqlite;
    static const QVector<const TBackend*> backends{&mssql, &postgres, &sqlite};
    return backends;
}

const TBackend& BackendOfProvider(const QString& provider) {
    for (const TBackend* backend : Backends())
        if (backend->ServesProvider(provider)) return *backend;
    throw EDatabaseError(QStringLiteral("Провайдер \"%1\" не поддерживается").arg(provider));
}

const TBackend& BackendOf(const TConnectionParams& params) {
    if (!params.Has(QStringLiteral("Provider"))) return *Backends().front();
    return BackendOfProvider(params.Provider());
}
