// A connection: its backend's session while it is open, and what every backend shares
// around it (the lock-wait state, the message of a connection the server closed).

#include "db/ADOConnection.h"

#include "db/Backend.h"
#include "db/BackendRegistry.h"
#include "db/DatabaseInUse.h"
#include "db/DbError.h"
#include "db/Dialect.h"
#include "db/RunEnding.h"

#include <QAtomicInt>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <utility>

namespace {

QString NewConnectionName() {
    static QAtomicInt counter;
    return QStringLiteral("TADOConnection_%1").arg(counter.fetchAndAddRelaxed(1) + 1);
}

// A driver that repeats its connection string in an error would show the password to
// whoever reads the message or the log; such a repetition is masked. A very short password
// is left alone, since masking it would garble the text without hiding anything.
QString WithoutPassword(const QString& message, const QString& password) {
    if (password.size() < 4) return message;
    QString masked = message;
    return masked.replace(password, QStringLiteral("***"));
}

// Drivers word a connect timeout in their own ways (libpq "timeout expired", FreeTDS
// "Timeout expired" beside "Unable to connect"), and some not at all; an opening that failed
// only once its whole time was spent ran out of it. libpq counts whole seconds, so its wait
// may end up to a second early.
bool RanOutOfTime(const QElapsedTimer& timer, int connectTimeout) {
    const qint64 allowed = connectTimeout * 1000LL;
    return timer.elapsed() >= allowed - qMin<qint64>(1500, allowed / 2);
}

}  // namespace

struct TADOConnection::Impl {
    QString Name = NewConnectionName();  // of the Qt database, unique per connection
    QString SessionName;                 // the Qt database of the open session
    std::unique_ptr<TBackendSession> Session;
    int SessionTimeout = 0;  // the command timeout the session was given last
    bool InUse = false;      // a lock wait ran out: statements no longer wait
};

TADOConnection::TADOConnection() : d(std::make_unique<Impl>()) {}

TADOConnection::~TADOConnection() { TADOConnection::Close(); }

void TADOConnection::Open() {
    // As the platform's connections do, opening an open connection changes nothing.
    if (d->Session) return;
    if (ConnectionString.trimmed().isEmpty())
        throw EDatabaseError(QStringLiteral("Строка подключения не задана"));
    const TConnectionParams params = ParseConnectionString(ConnectionString);
    const TBackend& backend = BackendOf(params);
    const int connectTimeout = ConnectTimeout();
    QElapsedTimer timer;
    timer.start();
    try {
        d->Session = backend.Open(d->Name, params, CommandTimeout, connectTimeout);
    } catch (const EDatabaseError& error) {
        // A string without a Provider is read as SQL Server's; one meant for another backend
        // then fails with a text that does not say why.
        const QString assumed = params.Has(QStringLiteral("Provider"))
                                    ? QString()
                                    : QStringLiteral("В строке подключения не указан провайдер (Provider), она прочитана "
                                                     "как строка подключения к Microsoft SQL Server: ");
        const QString timedOut = RanOutOfTime(timer, connectTimeout)
                                     ? QStringLiteral("Истекло время ожидания подключения (%1 с): ").arg(connectTimeout)
                                     : QString();
        throw EDatabaseError(timedOut + assumed + WithoutPassword(error.message(), params.Password()));
    }
    d->SessionName = d->Name;
    d->SessionTimeout = CommandTimeout;
    d->InUse = false;
}

void TADOConnection::Close() { d->Session.reset(); }

bool TADOConnection::Connected() const { return d->Session != nullptr; }

int TADOConnection::ConnectTimeout() const { return CommandTimeout > 0 ? CommandTimeout : DefaultConnectTimeout; }

void TADOConnection::MoveToThread(QThread* thread) {
    if (!d->Session) return;
    // The driver is what Qt ties to a thread; it has no parent and runs no timers.
    const QSqlDatabase db = QSqlDatabase::database(d->SessionName, false);
    if (db.isValid() && db.driver()) db.driver()->moveToThread(thread);
}

void TADOConnection::TakeSession(TADOConnection& other) {
    Close();
    ConnectionString = other.ConnectionString;
    CommandTimeout = other.CommandTimeout;
    d->Session = std::move(other.d->Session);
    d->SessionTimeout = other.d->SessionTimeout;
    d->InUse = other.d->InUse;
    d->SessionName = other.d->SessionName;
    // The session keeps its Qt name; the next opening of either connection takes a name of its own.
    std::swap(d->Name, other.d->Name);
}

const TBackend& TADOConnection::Backend() const { return BackendOf(ParseConnectionString(ConnectionString)); }

const TDialect& TADOConnection::Dialect() const { return Backend().Dialect(); }

bool TADOConnection::NoTransactionOpen() const { return d->Session && d->Session->NoTransactionOpen(); }

bool TADOConnection::TransactionStands() {
    const QString statement = Dialect().TransactionStateStatement();
    if (statement.isEmpty()) return d->Session && d->Session->TransactionStands();
    try {
        return ScalarOf(*this, statement).toLongLong() == 1;
    } catch (const EDatabaseError&) {
        return false;
    }
}

TRowSet TADOConnection::Run(const QString& sql, const QVector<TBoundParam>& params, bool wantRows) {
    TRowSet rows;
    OnSession([&](TBackendSession& session) { rows = session.Run(sql, params, wantRows); });
    return rows;
}

namespace {

// Reads a session's cursor under the connection's handling of errors.
class TConnectionCursor : public TRowCursor {
public:
    using TGuard = std::function<void(const std::function<void()>& work)>;
    TConnectionCursor(std::unique_ptr<TRowCursor> inner, TGuard guard) : Inner(std::move(inner)), Guard(std::move(guard)) {}
    const QVector<TColumnInfo>& Columns() const override { return Inner->Columns(); }
    bool Next(QVector<QVariant>& row) override {
        bool more = false;
        Guard([&] { more = Inner->Next(row); });
        return more;
    }

private:
    std::unique_ptr<TRowCursor> Inner;
    TGuard Guard;
};

}  // namespace

std::unique_ptr<TRowCursor> TADOConnection::OpenCursor(const QString& sql, const QVector<TBoundParam>& params) {
    std::unique_ptr<TRowCursor> cursor;
    OnSession([&](TBackendSession& session) { cursor = session.OpenCursor(sql, params); });
    return std::make_unique<TConnectionCursor>(std::move(cursor), [this](const std::function<void()>& work) {
        OnSession([&](TBackendSession&) { work(); });
    });
}

int TADOConnection::BatchRows() const { return d->Session ? d->Session->BatchRows() : 1; }

QVector<TRowSet> TADOConnection::RunBatch(const QVector<TBatchStatement>& statements) {
    QVector<TRowSet> results;
    OnSession([&](TBackendSession& session) { results = session.RunBatch(statements); });
    return results;
}

void TADOConnection::UndoBatch() {
    OnSession([](TBackendSession& session) { session.UndoBatch(); });
}

void TADOConnection::OnSession(const std::function<void(TBackendSession&)>& work) {
    if (!d->Session) throw EDatabaseError(QStringLiteral("Подключение к базе данных не открыто"));
    if (d->SessionTimeout != CommandTimeout) {
        d->Session->SetCommandTimeout(CommandTimeout);
        d->SessionTimeout = CommandTimeout;
    }
    try {
        work(*d->Session);
    } catch (const EDatabaseInUse&) {
        if (!d->InUse) {
            d->InUse = true;
            try {
                d->Session->SetLockWait(false);
            } catch (const EDatabaseError&) {
                // The lock error is the one to report.
            }
        }
        throw;
    } catch (EDatabaseError& error) {
        if (!error.Connection) error.Connection = this;
        // A connection the driver has closed (the server went away) fails without a text.
        if (!error.message().trimmed().isEmpty() || d->Session->DriverOpen()) throw;
        EDatabaseError closed(QStringLiteral("Соединение с базой данных закрыто"));
        closed.Connection = this;
        throw closed;
    }
}

bool TADOConnection::KeepsRawText() const { return d->Session && d->Session->KeepsRawText(); }

bool TADOConnection::FoundInUse() const { return d->InUse; }

void TADOConnection::ResumeLockWaits() {
    if (!d->InUse) return;
    d->InUse = false;
    if (d->Session) d->Session->SetLockWait(true);
}
