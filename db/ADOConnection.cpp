#include "db/ADOConnection.h"

#include "db/BackendOpen.h"
#include "db/ConnectionString.h"
#include "db/DatabaseInUse.h"
#include "db/DbError.h"
#include "db/Dialect.h"
#include "db/LockWait.h"
#include "db/PostgresSession.h"
#include "db/StatementCache.h"
#include "db/StatementRun.h"
#include "db/SqliteNative.h"

#include <QAtomicInt>
#include <QSqlDatabase>

namespace {

QString NewConnectionName() {
    static QAtomicInt counter;
    return QStringLiteral("TADOConnection_%1").arg(counter.fetchAndAddRelaxed(1) + 1);
}

}  // namespace

struct TADOConnection::Impl {
    QString Name = NewConnectionName();  // of the QSqlDatabase, unique per connection
    QSqlDatabase Db;
    bool IsOpen = false;
    TBackendKind Kind = TBackendKind::SqlServer;
    TSqliteStatementClock Clock;    // read by the SQLite progress handler
    int PostgresTimeout = -1;       // the statement_timeout in force, in seconds
    bool InUse = false;             // a lock wait ran out: statements no longer wait
    TStatementCache Statements;     // prepared statements of this connection, by text
};

// A driver that repeats its connection string in an error would show the password to
// whoever reads the message or the log; such a repetition is masked. A very short password
// is left alone, since masking it would garble the text without hiding anything.
static QString WithoutPassword(const QString& message, const QString& password) {
    if (password.size() < 4) return message;
    QString masked = message;
    return masked.replace(password, QStringLiteral("***"));
}

TADOConnection::TADOConnection() : d(std::make_unique<Impl>()) {}

TADOConnection::~TADOConnection() { TADOConnection::Close(); }

void TADOConnection::Open() {
    // As the platform's connections do, opening an open connection changes nothing.
    if (d->IsOpen) return;
    if (ConnectionString.trimmed().isEmpty())
        throw EDatabaseError(QStringLiteral("Строка подключения не задана"));
    const TConnectionParams params = ParseConnectionString(ConnectionString);
    const TBackendKind kind = BackendOf(params);
    try {
        switch (kind) {
        case TBackendKind::Sqlite:
            d->Db = OpenSqliteDatabase(d->Name, params, &d->Clock, CommandTimeout);
            break;
        case TBackendKind::SqlServer:
            d->Db = OpenMssqlDatabase(d->Name, params, CommandTimeout);
            break;
        case TBackendKind::PostgreSql:
            d->Db = OpenPostgresDatabase(d->Name, params);
            break;
        }
    } catch (const EDatabaseError& error) {
        throw EDatabaseError(WithoutPassword(error.message(), params.Password()));
    }
    d->Kind = kind;
    d->IsOpen = true;
    d->PostgresTimeout = -1;
    d->InUse = false;
}

void TADOConnection::Close() {
    if (!d->IsOpen) return;
    d->IsOpen = false;
    d->Statements.Clear();  // every statement is finalized before its connection closes
    d->Db.close();
    d->Db = QSqlDatabase();  // the last handle must be gone before the name is removed
    QSqlDatabase::removeDatabase(d->Name);
}

bool TADOConnection::Connected() const { return d->IsOpen; }

const TDialect& TADOConnection::Dialect() const {
    return DialectOf(BackendOf(ParseConnectionString(ConnectionString)));
}

bool TADOConnection::NoTransactionOpen() const {
    if (!d->IsOpen || d->Kind != TBackendKind::PostgreSql) return false;
    return PostgresTransactionState(d->Db) == TPostgresTransactionState::Idle;
}

TRowSet TADOConnection::Run(const QString& sql, const QVector<TBoundParam>& params, bool wantRows) {
    if (!d->IsOpen) throw EDatabaseError(QStringLiteral("Подключение к базе данных не открыто"));
    if (d->Kind == TBackendKind::PostgreSql && d->PostgresTimeout != CommandTimeout) {
        SetPostgresStatementTimeout(d->Db, CommandTimeout);
        ApplyLockWait(d->Db, d->Kind, CommandTimeout, true);
        d->PostgresTimeout = CommandTimeout;
    }
    // A transaction that is rolled back takes a PostgreSQL session setting made inside it
    // with it, so the shortest wait is set again before every statement.
    if (d->InUse && d->Kind == TBackendKind::PostgreSql) ApplyLockWait(d->Db, d->Kind, CommandTimeout, false);
    // PostgreSQL gets its values as literals in the text (PostgresStatement.h), so its texts
    // seldom repeat: they are not kept.
    TStatementCache* cache = d->Kind == TBackendKind::PostgreSql ? nullptr : &d->Statements;
    TStatementRunner runner(d->Db, d->Kind, CommandTimeout, &d->Clock, cache);
    try {
        return runner.Run(sql, params, wantRows);
    } catch (const EDatabaseInUse&) {
        if (!d->InUse) {
            d->InUse = true;
            try {
                ApplyLockWait(d->Db, d->Kind, CommandTimeout, false);
            } catch (const EDatabaseError&) {
                // The lock error is the one to report.
            }
        }
        throw;
    } catch (const EDatabaseError& error) {
        // A connection the driver has closed (the server went away) fails without a text.
        if (!error.message().trimmed().isEmpty() || d->Db.isOpen()) throw;
        throw EDatabaseError(QStringLiteral("Соединение с базой данных закрыто"));
    }
}

bool TADOConnection::FoundInUse() const { return d->InUse; }

void TADOConnection::ResumeLockWaits() {
    if (!d->InUse) return;
    d->InUse = false;
    if (d->IsOpen) ApplyLockWait(d->Db, d->Kind, CommandTimeout, true);
}
