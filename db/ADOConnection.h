#pragma once
// One database connection, opened from an OLE DB connection string by the backend that its
// provider names (BackendRegistry.h: SQL Server through ODBC, PostgreSQL, an SQLite file).
//
// Every failure raises EDatabaseError carrying the driver's own text. Statements are run
// through Run(), which fetches the whole result to the client; TADOQuery builds on it.
//
// The connection string is parsed by the OLE DB rules (ConnectionString.h); a string
// without a Provider pair means SQL Server. CommandTimeout (0: no limit) applies per
// statement, as each backend allows (its session's header says how).
//
// Every error of a statement is marked with this connection (EDatabaseError::Connection); one
// that will recur on every statement (a full disk, ...) is EDatabaseFailing (RunEnding.h).
//
// Opening, login included, may take as long as one statement (ConnectTimeout); an opening
// that ran out of it says so: "Истекло время ожидания подключения (N с): <driver's text>".
//
// Qt SQL ties a connection to the thread that opened it. One opened on a worker thread (so
// that a server that does not answer holds up only the worker) is handed to the thread that
// will use it by MoveToThread, and taken over there by TakeSession.
//
// A statement that waited the command timeout for a lock another connection holds raises
// EDatabaseInUse (DatabaseInUse.h); from then on the connection no longer waits for locks
// until ResumeLockWaits, so that a run does not wait the whole timeout again for each
// statement of its clean-up.

#include "db/RowCursor.h"
#include "db/StatementRunner.h"

#include <QString>
#include <functional>
#include <memory>

class QThread;
class TBackend;
class TBackendSession;
class TDialect;

class TADOConnection : public TStatementRunner {
public:
    TADOConnection();
    virtual ~TADOConnection();
    TADOConnection(const TADOConnection&) = delete;
    TADOConnection& operator=(const TADOConnection&) = delete;

    QString ConnectionString;
    int CommandTimeout = 30;   // seconds allowed to each statement
    bool LoginPrompt = false;  // the layer never asks for credentials itself

    // Opening an open connection changes nothing; closing a closed one is harmless.
    virtual void Open();
    virtual void Close();
    bool Connected() const override;

    // The seconds an opening may take: CommandTimeout, or DefaultConnectTimeout when
    // statements have no limit.
    int ConnectTimeout() const;
    static constexpr int DefaultConnectTimeout = 15;

    // Hands the open connection to another thread, which alone uses it from then on. Called
    // on the thread that opened it; a closed connection has nothing to hand.
    void MoveToThread(QThread* thread);
    // Closes this connection and takes over the open one of other, its string and command
    // timeout with it; other is left closed. Both belong to the calling thread.
    void TakeSession(TADOConnection& other);

    // The backend that the provider of ConnectionString names, and its dialect (the
    // statements and schema operations of its servers). Raise EDatabaseError for an
    // unsupported provider.
    const TBackend& Backend() const;
    virtual const TDialect& Dialect() const;

    // Whether the server reports that no transaction is open: true only where the backend
    // tells (PostgreSQL, which also ends a transaction whose COMMIT it refused; SQLite, which
    // rolls one back by itself on a full disk); false when one is open or the backend cannot
    // say.
    virtual bool NoTransactionOpen() const;

    // Whether the transaction that was open still stands, asked after a statement failed in
    // it: the session's answer, or the answer of the dialect's state statement run through
    // Run (a statement that itself fails means it does not).
    virtual bool TransactionStands();

    // Runs one statement text (which may hold several commands where the backend allows)
    // with its named parameters. wantRows: the statement returns rows, fetch them all.
    TRowSet Run(const QString& sql, const QVector<TBoundParam>& params, bool wantRows) override;
    // The rows of a statement, read as they are used (RowCursor.h); an error of the reading is
    // marked and named as Run's are. The cursor must not outlive the connection.
    virtual std::unique_ptr<TRowCursor> OpenCursor(const QString& sql, const QVector<TBoundParam>& params);

    // Batches (Backend.h): how many of the copier's rows one may hold (1 while closed), running
    // one as one unit where the backend can, and taking the last one back.
    virtual int BatchRows() const;
    virtual QVector<TRowSet> RunBatch(const QVector<TBatchStatement>& statements);
    virtual void UndoBatch();

    // Whether text that is no valid UTF-8 (RawText.h) can be stored as its bytes; false while
    // the connection is closed.
    virtual bool KeepsRawText() const;

    // Whether a statement found the database locked by another connection since the
    // connection was opened or ResumeLockWaits was called.
    virtual bool FoundInUse() const;
    // Statements wait for locks again, up to the command timeout.
    virtual void ResumeLockWaits();

private:
    // Runs work on the open session with the command timeout it should have; a lock wait that
    // ran out stops further waits, and a connection the server closed is named as such.
    void OnSession(const std::function<void(TBackendSession&)>& work);

    struct Impl;
    std::unique_ptr<Impl> d;
};
