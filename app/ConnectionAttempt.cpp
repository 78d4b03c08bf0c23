#include "app/ConnectionAttempt.h"

#include "db/DatabaseName.h"
#include "support/Exception.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <atomic>
#include <mutex>
#include <optional>
#include <thread>

namespace {

std::atomic<int> RunningAttemptThreads{0};

TAttemptOutcome FailedOutcome(const QString& error) {
    TAttemptOutcome outcome;
    outcome.Error = error;
    return outcome;
}

TAttemptOutcome RunWork(const TConnectionAttempt::TWork& work) {
    try {
        return work();
    } catch (const Exception& error) {
        return FailedOutcome(error.message());
    } catch (const std::exception& error) {
        return FailedOutcome(QString::fromUtf8(error.what()));
    } catch (...) {
        return FailedOutcome(QStringLiteral("Неизвестная ошибка подключения"));
    }
}

}  // namespace

struct TConnectionAttempt::TShared {
    std::mutex Lock;
    bool GivenUp = false;
    bool Delivered = false;
    // Handed to the receiver's thread, not yet taken by done.
    std::optional<TAttemptOutcome> Outcome;
};

TConnectionAttempt::TConnectionAttempt(TWork work, QObject* receiver, TDone done)
    : Shared(std::make_shared<TShared>()) {
    QThread* target = receiver->thread();
    ++RunningAttemptThreads;
    std::thread([shared = Shared, work = std::move(work), receiver, target, done = std::move(done)]() mutable {
        {
            TAttemptOutcome outcome = RunWork(work);
            std::lock_guard<std::mutex> lock(shared->Lock);
            // The receiver is alive while the attempt is not given up: its owner gives it up
            // before it goes, and that waits for this lock.
            if (!shared->GivenUp) {
                if (outcome.Connection) outcome.Connection->MoveToThread(target);
                shared->Outcome = std::move(outcome);
                QMetaObject::invokeMethod(receiver, [shared, done] { Deliver(shared, done); }, Qt::QueuedConnection);
            }
            // Given up: what the work opened is closed here, on the thread that opened it.
        }
        work = nullptr;
        done = nullptr;
        shared.reset();
        --RunningAttemptThreads;
    }).detach();
}

void TConnectionAttempt::Deliver(const std::shared_ptr<TShared>& shared, const TDone& done) {
    std::optional<TAttemptOutcome> outcome;
    {
        std::lock_guard<std::mutex> lock(shared->Lock);
        if (shared->GivenUp || !shared->Outcome) return;
        outcome = std::move(shared->Outcome);
        shared->Outcome.reset();
        shared->Delivered = true;
    }
    done(*outcome);
}

TConnectionAttempt::~TConnectionAttempt() { Cancel(); }

void TConnectionAttempt::Cancel() {
    std::optional<TAttemptOutcome> handed;
    {
        std::lock_guard<std::mutex> lock(Shared->Lock);
        if (Shared->GivenUp) return;
        Shared->GivenUp = true;
        handed = std::move(Shared->Outcome);
        Shared->Outcome.reset();
    }
    // An outcome already handed over belongs to this thread and is closed here.
}

bool TConnectionAttempt::Pending() const {
    std::lock_guard<std::mutex> lock(Shared->Lock);
    return !Shared->GivenUp && !Shared->Delivered;
}

int TConnectionAttempt::RunningThreads() { return RunningAttemptThreads.load(); }

std::unique_ptr<TADOConnection> OpenConnection(const QString& connectionString, int commandTimeout) {
    auto connection = std::make_unique<TADOConnection>();
    connection->ConnectionString = connectionString;
    connection->CommandTimeout = commandTimeout;
    connection->Open();
    return connection;
}

QString ConnectionErrorText(const QString& connectionString, const QString& driverText) {
    QString text = driverText;
    text.remove(QLatin1Char('\t'));
    const QString name = DatabaseName(connectionString);
    const QString header = name.isEmpty() ? QStringLiteral("Не удалось подключиться к базе данных:")
                                          : QStringLiteral("Не удалось подключиться к базе данных \"%1\":").arg(name);
    return header + QLatin1Char('\n') + text.trimmed();
}
