#include "copier/Transaction.h"

#include "copier/CopierLog.h"
#include "db/ADOQuery.h"
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

}  // namespace

bool EndTransaction(TADOConnection& dest, bool commit) {
    if (!commit) return TryTransactionStatement(dest, RollbackTransactionText);
    if (TryTransactionStatement(dest, CommitTransactionText)) return true;
    // A commit that failed may leave the transaction open; it must not outlive the run.
    if (TryTransactionStatement(dest, RollbackTransactionText))
        LogCopierLine(QStringLiteral("COMMIT TRANSACTION; не выполнен, транзакция отменена (ROLLBACK TRANSACTION;), "
                                     "изменения НЕ ВНЕСЕНЫ в базу"));
    return false;
}

void RollBackFailedRun(TADOConnection& dest) {
    // Left open, the transaction would nest under the next run's BEGIN and lose its commit.
    if (TryTransactionStatement(dest, RollbackTransactionText))
        LogCopierLine(QStringLiteral("Импорт завершился ошибкой, транзакция отменена (ROLLBACK TRANSACTION;), "
                                     "изменения НЕ ВНЕСЕНЫ в базу"));
}
