#pragma once
// An open SQL Server connection through Qt's QODBC driver (OdbcConnection.h).
//
// A statement with parameters is prepared once and kept; one without runs as a plain batch,
// so that what the batch sets up stays on the connection. A batch runs as its results are
// read: every one is taken, so that its later statements run and their errors are seen. The
// command timeout is FreeTDS's Timeout at opening and the ODBC query timeout of each
// prepared statement. SQL Server's waits for locks end in the query timeout and are not told
// apart. Values are read whole (MssqlValueReading.h).

#include "db/QtSession.h"

class TMssqlSession : public TQtSession {
public:
    TMssqlSession(const QSqlDatabase& db, const QString& qtName, int commandTimeout);

    void SetLockWait(bool /*waitForLocks*/) override {}
    // The server is asked by the dialect's XACT_STATE() statement.
    bool TransactionStands() const override { return true; }

protected:
    void BeforeExecute(QSqlQuery& query) override;
    bool ReadsEveryResult() const override { return true; }
    TFieldType FieldTypeOfDriverField(const QSqlField& field) const override;
    std::unique_ptr<TFieldReader> ReaderOf(const QSqlQuery& query) const override;
    bool IsDatabaseFailing(const QSqlError& error) const override;
    bool IsMissingObject(const QSqlError& error) const override;
};
