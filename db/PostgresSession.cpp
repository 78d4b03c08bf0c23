#include "db/PostgresSession.h"

#include "support/Log.h"

#include <QSqlDriver>
#include <QVariant>
#include <libpq-fe.h>

namespace {

// The driver's handle of an open QPSQL connection.
PGconn* ConnectionOf(const QSqlDatabase& db) {
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    const char* type = handle.typeName();
    if (!type || (qstrcmp(type, "pg_conn*") != 0 && qstrcmp(type, "PGconn*") != 0)) return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

// libpq hands over the message as the server formatted it ("WARNING:  ...\n"), in the
// session's client encoding, which the driver sets to UTF-8.
void LogServerNotice(void*, const char* message) {
    WriteLog(QStringLiteral("Сообщение сервера PostgreSQL: ") + QString::fromUtf8(message).trimmed(), 1);
}

}  // namespace

TPostgresTransactionState PostgresTransactionState(const QSqlDatabase& db) {
    const PGconn* connection = ConnectionOf(db);
    if (!connection) return TPostgresTransactionState::Unknown;
    switch (PQtransactionStatus(connection)) {
    case PQTRANS_IDLE: return TPostgresTransactionState::Idle;
    case PQTRANS_ACTIVE: return TPostgresTransactionState::Active;
    case PQTRANS_INTRANS: return TPostgresTransactionState::InTransaction;
    case PQTRANS_INERROR: return TPostgresTransactionState::InError;
    case PQTRANS_UNKNOWN: break;
    }
    return TPostgresTransactionState::Unknown;
}

void RoutePostgresNotices(const QSqlDatabase& db) {
    if (PGconn* connection = ConnectionOf(db)) PQsetNoticeProcessor(connection, &LogServerNotice, nullptr);
}
