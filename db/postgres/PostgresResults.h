#pragma once
// What a command that libpq ran gives back, in the layer's terms: its rows with their values
// read as the QPSQL driver and PostgresValueReading.h read them (so that every value arrives as
// before, whichever way the statement travelled), and the server's text of a failure as the
// driver shows it.

#include "db/RowSet.h"

#include <QString>

struct pg_result;

// The result of a statement that succeeded. wantRows: its rows are kept (a statement without
// rows gives a row set without columns); otherwise only the rows affected are.
TRowSet PostgresRowSet(const pg_result* result, bool wantRows);

// The server's text of a failed command with its SQLSTATE in parentheses, as the QPSQL
// driver writes it ("ERROR:  ...\n(23505)").
QString PostgresErrorText(const pg_result* result);
QString PostgresErrorCode(const pg_result* result);
