// Taking and releasing an import claim; the claim by statement that the servers share.

#include "db/ImportClaim.h"

#include "db/DatabaseInUse.h"
#include "db/StatementRunner.h"
#include "support/Exception.h"
#include "support/Log.h"

#include <QElapsedTimer>
#include <QThread>

namespace {

// How long a claim held elsewhere is asked for again, and how often.
constexpr qint64 ClaimRetryMs = 5000;
constexpr unsigned long ClaimRetryStepMs = 250;

class TStatementClaimHold : public TImportClaimHold {
public:
    TStatementClaimHold(TStatementRunner& connection, const QString& releaseStatement)
        : Connection(connection), ReleaseStatement(releaseStatement) {}

    ~TStatementClaimHold() override {
        // A connection that is gone has taken the claim with its session.
        if (!Connection.Connected()) return;
        try {
            ExecuteText(Connection, ReleaseStatement);
        } catch (const Exception& error) {
            WriteLog(QStringLiteral("Ошибка снятия блокировки импорта"), 1);
            WriteLog(error.message(), 1);
        } catch (...) {
            WriteLog(QStringLiteral("Ошибка снятия блокировки импорта"), 1);
        }
    }

private:
    TStatementRunner& Connection;
    QString ReleaseStatement;
};

}  // namespace

QString ClaimedByAnotherImportText() { return QStringLiteral("база данных уже используется другим импортом"); }

std::unique_ptr<TImportClaimHold> TakeStatementClaim(TStatementRunner& connection, const QString& claimStatement,
                                                     const QString& releaseStatement, const QString& holderStatement) {
    QElapsedTimer waited;
    waited.start();
    while (ScalarOf(connection, claimStatement).toLongLong() != 1) {
        if (waited.elapsed() < ClaimRetryMs) {
            QThread::msleep(ClaimRetryStepMs);
            continue;
        }
        EDatabaseClaimed claimed(ClaimedByAnotherImportText());
        if (!holderStatement.isEmpty()) {
            try {
                claimed.Holder = ScalarOf(connection, holderStatement).toString();
            } catch (const EDatabaseError&) {
                // The refusal stands without its holder.
            }
        }
        throw claimed;
    }
    return std::make_unique<TStatementClaimHold>(connection, releaseStatement);
}
