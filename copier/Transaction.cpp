#include "copier/Transaction.h"

#include "copier/CopierLog.h"
#include "db/ADOQuery.h"
#include "db/RunEnding.h"
#include "support/Exception.h"

#include <exception>

const QString BeginTransactionText = QStringLiteral("BEGIN TRANSACTION;");
const QString CommitTransactionText = QStringLiteral("COMMIT TRANSACTION;");
const QString RollbackTransactionText = QStringLiteral("ROLLBACK TRANSACTION;");

void ExecuteTransactionStatement(TADOConnection& dest, const QString& statement) {
    TADOQuery query(&dest);
    query.SetSQL(statement);
    query.ExecSQL();
}

namespace {

// Runs the statement; a failure is logged as every caught error of a run is, by its own
// message, and reported as false.
bool TryTransactionStatement(TADOConnection& dest, const QString& statement) {
    try {
        ExecuteTransactionStatement(dest, statement);
        return true;
    } catch (const Exception& e) {
        LogCopierLine(e.message());
    } catch (const std::exception& e) {
        LogCopierLine(QString::fromUtf8(e.what()));
    }
    return false;
}

// Runs the COMMIT; a refusal is logged and kept, naming the connection that refused it.
bool TryCommit(TADOConnection& dest, std::exception_ptr* kept) {
    QString reason;
    const TStatementRunner* connection = &dest;
    try {
        ExecuteTransactionStatement(dest, CommitTransactionText);
        return true;
    } catch (const EDatabaseError& e) {
        reason = e.message().trimmed();
        if (e.Connection) connection = e.Connection;
    } catch (const Exception& e) {
        reason = e.message().trimmed();
    } catch (const std::exception& e) {
        reason = QString::fromUtf8(e.what()).trimmed();
    }
    LogCopierLine(reason);
    ECommitRefused refused(CommitTransactionText + QStringLiteral(" не выполнен: ") + reason);
    refused.Connection = connection;
    if (kept) *kept = std::make_exception_ptr(refused);
    return false;
}

// A ROLLBACK where the server has already ended the transaction (PostgreSQL ends one whose
// COMMIT it refused) would only draw the server's warning that none is open.
bool RollBackOpenTransaction(TADOConnection& dest) {
    if (dest.NoTransactionOpen()) return true;
    return TryTransactionStatement(dest, RollbackTransactionText);
}

}  // namespace

bool EndTransaction(TADOConnection& dest, bool commit, std::exception_ptr* refusal) {
    if (!commit) return RollBackOpenTransaction(dest);
    if (TryCommit(dest, refusal)) return true;
    // A commit that failed may leave the transaction open; it must not outlive the run.
    if (dest.NoTransactionOpen())
        LogCopierLine(QStringLiteral("COMMIT TRANSACTION; не выполнен, транзакция отменена сервером, "
                                     "изменения НЕ ВНЕСЕНЫ в базу"));
    else if (TryTransactionStatement(dest, RollbackTransactionText))
        LogCopierLine(QStringLiteral("COMMIT TRANSACTION; не выполнен, транзакция отменена (ROLLBACK TRANSACTION;), "
                                     "изменения НЕ ВНЕСЕНЫ в базу"));
    return false;
}

void RollBackFailedRun(TADOConnection& dest) {
    // Left open, the transaction would nest under the next run's BEGIN and lose its commit.
    if (dest.NoTransactionOpen())
        LogCopierLine(QStringLiteral("Импорт завершился ошибкой, транзакция отменена сервером, "
                                     "изменения НЕ ВНЕСЕНЫ в базу"));
    else if (TryTransactionStatement(dest, RollbackTransactionText))
        LogCopierLine(QStringLiteral("Импорт завершился ошибкой, транзакция отменена (ROLLBACK TRANSACTION;), "
                                     "изменения НЕ ВНЕСЕНЫ в базу"));
}

void StopWhenTransactionEnded(TADOConnection& dest, bool inTransaction, const QString& reason) {
    if (!inTransaction || dest.TransactionStands()) return;
    ETransactionEnded ended(reason);
    ended.Connection = &dest;
    throw ended;
}
