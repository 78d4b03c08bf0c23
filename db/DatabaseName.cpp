// The database a connection string names, as messages name it, by its backend.

#include "db/DatabaseName.h"

#include "db/BackendRegistry.h"
#include "db/DbError.h"

QString DatabaseName(const QString& connectionString) {
    try {
        const TConnectionParams params = ParseConnectionString(connectionString);
        return BackendOf(params).DatabaseName(params);
    } catch (const EDatabaseError&) {
        // A string that cannot be read names no database.
    }
    return QString();
}
