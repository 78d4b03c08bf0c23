#pragma once
// What guards a run on its two databases: the exclusive import claim on each
// (db/ConnectionClaim.h), and the errors that name a database in use by another program or
// another import, or a connection that was lost.

#include "db/ConnectionClaim.h"

#include <memory>

class TADOConnection;

class TImportClaims {
public:
    // Claims the source, then the destination (once when both are the same database), and
    // lets both connections wait for locks again. When another import holds either claim,
    // raises EDatabaseClaimed naming the database, holding nothing.
    TImportClaims(TADOConnection& source, TADOConnection& dest);
    TImportClaims(const TImportClaims&) = delete;
    TImportClaims& operator=(const TImportClaims&) = delete;

private:
    std::unique_ptr<TImportClaimHold> SourceClaim;
    std::unique_ptr<TImportClaimHold> DestClaim;
};

// When a statement of the run found either database locked by another program, raises
// EDatabaseInUse naming the database (both when both were); otherwise does nothing.
// committed: the run's transaction was committed before (a stop answered with "save"), which
// the message then says instead of "НЕ ВНЕСЕНЫ".
void RaiseWhenDatabaseInUse(TADOConnection& source, TADOConnection& dest, bool committed = false);

// The error of a run that a database's statement failed, naming the database and the server's
// reason ("...: транзакция прервана сервером: ...; изменения НЕ ВНЕСЕНЫ в базу" when the server
// ended the transaction); nothing when neither connection met it.
void RaiseWhenDatabaseFailedRun(const class EDatabaseError& error, TADOConnection& source, TADOConnection& dest);

// The text of a database error that names the database whose statement met it ("Исходная
// база данных \"...\": no such table: Титул"), adding that the schemas differ where the
// destination lacks a table or column, and then closing; the error's own text when neither
// connection met it.
QString NamedDatabaseError(const class EDatabaseError& error, TADOConnection& source, TADOConnection& dest,
                           const QString& closing = QString());

// When either connection no longer answers (the server closed it, or went away), raises
// EDatabaseError naming the database (the first one found); otherwise does nothing.
void RaiseWhenConnectionLost(TADOConnection& source, TADOConnection& dest);

// Inside a catch block: raises the error of RaiseWhenDatabaseInUse or of
// RaiseWhenConnectionLost when either applies, otherwise the error being handled, a database
// error with its database named.
[[noreturn]] void RethrowNamingDatabase(TADOConnection& source, TADOConnection& dest);
