// libpq reached through the QPSQL driver: its functions, the transaction state, notices.

#include "db/postgres/Libpq.h"

#include "db/postgres/LibpqApi.h"
#include "support/Log.h"

#include <QSqlDriver>
#include <QVariant>
#include <dlfcn.h>

namespace {

// libpq hands over the message as the server formatted it ("WARNING:  ...\n"), in the
// session's client encoding, which the driver sets to UTF-8.
void LogServerNotice(void*, const char* message) {
    WriteLog(QStringLiteral("Сообщение сервера PostgreSQL: ") + QString::fromUtf8(message).trimmed(), 1);
}

template <typename TFunction>
bool Look(TFunction& function, const char* name) {
    function = reinterpret_cast<TFunction>(LibpqFunction(name));
    return function != nullptr;
}

// Every function of the table, or false when one is missing.
bool LookUpAll(TLibpqApi& api) {
    return Look(api.Status, "PQstatus") && Look(api.ErrorMessage, "PQerrorMessage") && Look(api.Socket, "PQsocket") &&
           Look(api.SetNonBlocking, "PQsetnonblocking") && Look(api.Flush, "PQflush") &&
           Look(api.ConsumeInput, "PQconsumeInput") && Look(api.EnterPipelineMode, "PQenterPipelineMode") &&
           Look(api.ExitPipelineMode, "PQexitPipelineMode") && Look(api.PipelineSync, "PQpipelineSync") &&
           Look(api.SendQuery, "PQsendQuery") && Look(api.SendQueryParams, "PQsendQueryParams") && Look(api.SendPrepare, "PQsendPrepare") &&
           Look(api.SendQueryPrepared, "PQsendQueryPrepared") &&
           Look(api.SendDescribePrepared, "PQsendDescribePrepared") && Look(api.GetResult, "PQgetResult") &&
           Look(api.ResultStatus, "PQresultStatus") && Look(api.ResultErrorMessage, "PQresultErrorMessage") &&
           Look(api.ResultErrorField, "PQresultErrorField") && Look(api.Clear, "PQclear") &&
           Look(api.Ntuples, "PQntuples") && Look(api.Nfields, "PQnfields") && Look(api.Fname, "PQfname") &&
           Look(api.Ftype, "PQftype") && Look(api.GetValue, "PQgetvalue") && Look(api.GetIsNull, "PQgetisnull") &&
           Look(api.CmdTuples, "PQcmdTuples") && Look(api.Nparams, "PQnparams") &&
           Look(api.ParamType, "PQparamtype") && Look(api.UnescapeBytea, "PQunescapeBytea") &&
           Look(api.FreeMem, "PQfreemem");
}

}  // namespace

void* LibpqFunction(const char* name) {
    void* library = dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD);
    return library ? dlsym(library, name) : nullptr;
}

const TLibpqApi* Libpq() {
    static TLibpqApi api;
    static bool complete = false;
    // Looked up again until libpq is loaded: the first PostgreSQL connection loads it.
    if (!complete) complete = LookUpAll(api);
    return complete ? &api : nullptr;
}

PGconn* LibpqConnectionOf(const QSqlDatabase& db) {
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    const char* type = handle.typeName();
    if (!type || (qstrcmp(type, "pg_conn*") != 0 && qstrcmp(type, "PGconn*") != 0)) return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

TPostgresTransactionState PostgresTransactionState(const QSqlDatabase& db) {
    static const auto status = reinterpret_cast<decltype(&PQtransactionStatus)>(LibpqFunction("PQtransactionStatus"));
    const PGconn* connection = LibpqConnectionOf(db);
    if (!connection || !status) return TPostgresTransactionState::Unknown;
    switch (status(connection)) {
    case PQTRANS_IDLE: return TPostgresTransactionState::Idle;
    case PQTRANS_ACTIVE: return TPostgresTransactionState::Active;
    case PQTRANS_INTRANS: return TPostgresTransactionState::InTransaction;
    case PQTRANS_INERROR: return TPostgresTransactionState::InError;
    default: return TPostgresTransactionState::Unknown;
    }
}

void RoutePostgresNotices(const QSqlDatabase& db) {
    static const auto setProcessor =
        reinterpret_cast<decltype(&PQsetNoticeProcessor)>(LibpqFunction("PQsetNoticeProcessor"));
    PGconn* connection = LibpqConnectionOf(db);
    if (connection && setProcessor) setProcessor(connection, &LogServerNotice, nullptr);
}
