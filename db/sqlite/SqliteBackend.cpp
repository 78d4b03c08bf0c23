// SQLite as a backend: opening a database file, naming it, claiming it.

#include "db/sqlite/SqliteBackend.h"

#include "db/DbError.h"
#include "db/QtDatabase.h"
#include "db/sqlite/SqliteDialect.h"
#include "db/sqlite/SqliteImportClaim.h"
#include "db/sqlite/SqliteSession.h"

#include <QFileInfo>

QString SqliteFileOf(const TConnectionParams& params) {
    return params.Has(QStringLiteral("Location")) ? params.Location() : params.DataSource();
}

bool TSqliteBackend::ServesProvider(const QString& provider) const {
    return provider.trimmed().compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0;
}

TDataLinkFields TSqliteBackend::DataLinkFields(const TConnectionParams& params) const {
    TDataLinkFields fields;
    fields.Database = params.Location().isEmpty() ? params.DataSource() : params.Location();
    return fields;
}

QString TSqliteBackend::DatabaseName(const TConnectionParams& params) const {
    const QFileInfo file(SqliteFileOf(params));
    const QString canonical = file.canonicalFilePath();
    return canonical.isEmpty() ? file.absoluteFilePath() : canonical;
}

const TDialect& TSqliteBackend::Dialect() const {
    static const TSqliteDialect dialect;
    return dialect;
}

// A local file has no server to wait for: the connect timeout does not apply.
std::unique_ptr<TBackendSession> TSqliteBackend::Open(const QString& qtName, const TConnectionParams& params,
                                                      int commandTimeout, int) const {
    const QString path = SqliteFileOf(params);
    if (path.isEmpty())
        throw EDatabaseError(QStringLiteral("В строке подключения не указан файл базы данных SQLite"));
    if (!QFileInfo(path).isFile())
        throw EDatabaseError(QStringLiteral("Файл базы данных SQLite \"%1\" не найден").arg(path));
    QSqlDatabase db = AddQtDatabase(QStringLiteral("QSQLITE"), qtName);
    db.setDatabaseName(SqliteUriOfExistingFile(path));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
    OpenQtDatabase(db, qtName);
    // From here the session closes the database and removes its name when it goes; it holds
    // the only handle, so that the name can go.
    auto session = std::make_unique<TSqliteSession>(db, qtName, commandTimeout);
    db = QSqlDatabase();
    session->Prepare();
    return session;
}

std::unique_ptr<TImportClaimHold> TSqliteBackend::TakeImportClaim(TStatementRunner&,
                                                                  const TConnectionParams& params) const {
    return TakeSqliteImportClaim(DatabaseName(params));
}
