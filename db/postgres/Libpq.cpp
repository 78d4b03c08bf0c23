// libpq reached through the QPSQL driver: its functions, the transaction state, notices.

#include "db/postgres/Libpq.h"

#include "support/Log.h"

#include <QSqlDriver>
#include <QVariant>
#include <dlfcn.h>

namespace {

// libpq's declarations, as far as they are used here (libpq-fe.h).
enum TPQTransactionStatus { PqTransIdle = 0, PqTransActive = 1, PqTransInTrans = 2, PqTransInError = 3 };
using TPQnoticeProcessor = void (*)(void* arg, const char* message);
using TPQtransactionStatus = int (*)(const void* connection);
using TPQsetNoticeProcessor = TPQnoticeProcessor (*)(void* connection, TPQnoticeProcessor processor, void* arg);

// The driver's handle of an open QPSQL connection (a PGconn).
void* ConnectionOf(const QSqlDatabase& db) {
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    const char* type = handle.typeName();
    if (!type || (qstrcmp(type, "pg_conn*") != 0 && qstrcmp(type, "PGconn*") != 0)) return nullptr;
    return *static_cast<void* const*>(handle.constData());
}

// libpq hands over the message as the server formatted it ("WARNING:  ...\n"), in the
// session's client encoding, which the driver sets to UTF-8.
void LogServerNotice(void*, const char* message) {
    WriteLog(QStringLiteral("Сообщение сервера PostgreSQL: ") + QString::fromUtf8(message).trimmed(), 1);
}

}  // namespace

void* LibpqFunction(const char* name) {
    void* library = dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD);
    return library ? dlsym(library, name) : nullptr;
}

TPostgresTransactionState PostgresTransactionState(const QSqlDatabase& db) {
    static const auto status = reinterpret_cast<TPQtransactionStatus>(LibpqFunction("PQtransactionStatus"));
    const void* connection = ConnectionOf(db);
    if (!connection || !status) return TPostgresTransactionState::Unknown;
    switch (status(connection)) {
    case PqTransIdle: return TPostgresTransactionState::Idle;
    case PqTransActive: return TPostgresTransactionState::Active;
    case PqTransInTrans: return TPostgresTransactionState::InTransaction;
    case PqTransInError: return TPostgresTransactionState::InError;
    default: return TPostgresTransactionState::Unknown;
    }
}

void RoutePostgresNotices(const QSqlDatabase& db) {
    static const auto setProcessor = reinterpret_cast<TPQsetNoticeProcessor>(LibpqFunction("PQsetNoticeProcessor"));
    void* connection = ConnectionOf(db);
    if (connection && setProcessor) setProcessor(connection, &LogServerNotice, nullptr);
}
