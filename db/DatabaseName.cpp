#include "db/DatabaseName.h"

#include "db/ConnectionString.h"
#include "db/DbError.h"

#include <QFileInfo>

QString DatabaseName(const QString& connectionString) {
    try {
        const TConnectionParams params = ParseConnectionString(connectionString);
        switch (BackendOf(params)) {
        case TBackendKind::Sqlite: {
            const QFileInfo file(params.Has(QStringLiteral("Location")) ? params.Location() : params.DataSource());
            const QString canonical = file.canonicalFilePath();
            return canonical.isEmpty() ? file.absoluteFilePath() : canonical;
        }
        case TBackendKind::PostgreSql:
            return params.DataSource() + QLatin1Char('/') +
                   (params.Has(QStringLiteral("Location")) ? params.Location() : params.InitialCatalog());
        case TBackendKind::SqlServer:
            return params.DataSource() + QLatin1Char('/') + params.InitialCatalog();
        }
    } catch (const EDatabaseError&) {
        // A string that cannot be read names no database.
    }
    return QString();
}
