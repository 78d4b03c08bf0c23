#pragma once
// The libpq functions that the PostgreSQL transport calls, declared by libpq's own header and
// looked up at run time in the libpq that Qt's QPSQL driver has loaded: the program links no
// libpq of its own, and a build without PostgreSQL connections never needs one. Included by
// the backend's sources only.

#include <QSqlDatabase>
#include <libpq-fe.h>

struct TLibpqApi {
    decltype(&PQstatus) Status;
    decltype(&PQerrorMessage) ErrorMessage;
    decltype(&PQsocket) Socket;
    decltype(&PQsetnonblocking) SetNonBlocking;
    decltype(&PQflush) Flush;
    decltype(&PQconsumeInput) ConsumeInput;
    decltype(&PQenterPipelineMode) EnterPipelineMode;
    decltype(&PQexitPipelineMode) ExitPipelineMode;
    decltype(&PQpipelineSync) PipelineSync;
    decltype(&PQsendQuery) SendQuery;
    decltype(&PQsendQueryParams) SendQueryParams;
    decltype(&PQsendPrepare) SendPrepare;
    decltype(&PQsendQueryPrepared) SendQueryPrepared;
    decltype(&PQsendDescribePrepared) SendDescribePrepared;
    decltype(&PQgetResult) GetResult;
    decltype(&PQresultStatus) ResultStatus;
    decltype(&PQresultErrorMessage) ResultErrorMessage;
    decltype(&PQresultErrorField) ResultErrorField;
    decltype(&PQclear) Clear;
    decltype(&PQntuples) Ntuples;
    decltype(&PQnfields) Nfields;
    decltype(&PQfname) Fname;
    decltype(&PQftype) Ftype;
    decltype(&PQgetvalue) GetValue;
    decltype(&PQgetisnull) GetIsNull;
    decltype(&PQcmdTuples) CmdTuples;
    decltype(&PQnparams) Nparams;
    decltype(&PQparamtype) ParamType;
    decltype(&PQunescapeBytea) UnescapeBytea;
    decltype(&PQfreemem) FreeMem;
};

// The functions, or nullptr when libpq is not loaded or lacks one of them (a libpq before
// version 14 has no pipeline mode).
const TLibpqApi* Libpq();

// The driver's connection of an open QPSQL database, or nullptr.
PGconn* LibpqConnectionOf(const QSqlDatabase& db);
