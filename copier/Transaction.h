#pragma once
// The run's transaction on the destination: its three statements, and ending it so that
// nothing stays open when a commit fails or a run breaks off.

#include "db/RunEnding.h"

#include <QString>
#include <exception>

class TADOConnection;

// A commit that the server or the file system refused (a full disk at the commit, a
// deadlock, a constraint checked at the end): nothing of the run was saved. The message is
// "COMMIT TRANSACTION; не выполнен: " and the server's reason; Connection is the
// destination's, so that the run can name the database.
class ECommitRefused : public ERunEnding {
public:
    using ERunEnding::ERunEnding;
};

extern const QString BeginTransactionText;     // "BEGIN TRANSACTION;"
extern const QString CommitTransactionText;    // "COMMIT TRANSACTION;"
extern const QString RollbackTransactionText;  // "ROLLBACK TRANSACTION;"

// Executes one statement on the destination with a query of its own. Raises on failure.
void ExecuteTransactionStatement(TADOConnection& dest, const QString& statement);

// Commits or rolls back. A failure is logged; a failed commit is followed by a rollback of
// whatever is still open, and, when refusal is given, kept there as an ECommitRefused.
// Returns whether the chosen statement took effect. Never raises.
bool EndTransaction(TADOConnection& dest, bool commit, std::exception_ptr* refusal = nullptr);

// After a run that failed with its transaction open: rolls it back and logs that it did.
// Never raises.
void RollBackFailedRun(TADOConnection& dest);

// Asked after a statement of the run failed: when the server has ended the transaction (a
// deadlock victim, a full disk, a session that died), every later statement would commit by
// itself, so the run stops: raises ETransactionEnded with the reason, marked with dest.
// Nothing is asked outside a transaction (inTransaction false).
void StopWhenTransactionEnded(TADOConnection& dest, bool inTransaction, const QString& reason);
