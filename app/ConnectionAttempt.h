#pragma once
// A connection step of the window run off the window's thread: the opening of a connection
// (and what must be read through a connection of its own, such as the title list) runs on a
// thread of its own, so that a server that accepts and never answers holds up only that
// thread, for at most the connection's timeout, while the window goes on answering.
//
// Qt SQL ties a connection to the thread that opened it. The work opens its connections on
// the attempt's thread; the one it keeps (TAttemptOutcome::Connection) is handed to the
// window's thread once the work has ended, and the window takes its session over
// (TADOConnection::TakeSession). An attempt given up before that closes its connections on
// its own thread when its driver at last returns; the window never waits for it.

#include "db/ADOConnection.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QObject;

// What the work of an attempt leaves for the window.
struct TAttemptOutcome {
    // The connection the work opened for the window; null when it keeps none or failed.
    std::unique_ptr<TADOConnection> Connection;
    // Why the work failed: the error's text; empty when it did not.
    QString Error;
    // Rows the work read (the title list's items, each its caption and sub-items), and the
    // messages the reading showed, in their order.
    bool RowsRead = false;
    QList<QStringList> Rows;
    QStringList Messages;
};

class TConnectionAttempt {
public:
    using TWork = std::function<TAttemptOutcome()>;
    using TDone = std::function<void(TAttemptOutcome& outcome)>;

    // Starts work on a thread of its own; an error it raises becomes the outcome's Error.
    // done runs on receiver's thread once the work has ended, with the kept connection then
    // belonging to that thread; never after Cancel, nor after receiver is gone.
    TConnectionAttempt(TWork work, QObject* receiver, TDone done);
    // Gives the attempt up, as Cancel.
    ~TConnectionAttempt();
    TConnectionAttempt(const TConnectionAttempt&) = delete;
    TConnectionAttempt& operator=(const TConnectionAttempt&) = delete;

    // Gives the attempt up at once: done will not run; what the work opens is closed on its
    // own thread.
    void Cancel();
    // Whether the attempt has neither delivered its outcome nor been given up.
    bool Pending() const;

    // How many attempts' threads are still working, those given up included: the program
    // ends without waiting for them, and tests wait for them.
    static int RunningThreads();

private:
    struct TShared;
    // On the receiver's thread: the outcome goes to done unless the attempt was given up since.
    static void Deliver(const std::shared_ptr<TShared>& shared, const TDone& done);

    std::shared_ptr<TShared> Shared;
};

// Opens a connection on the calling thread: the string, the command timeout (which is also
// the time the opening may take). Raises what the opening raises.
std::unique_ptr<TADOConnection> OpenConnection(const QString& connectionString, int commandTimeout);

// How the window tells that a database could not be reached: its name (DatabaseName.h), and
// the driver's text on the next line, its own line breaks kept and its tabs removed.
// "Не удалось подключиться к базе данных \"host/db\":\n<text>".
QString ConnectionErrorText(const QString& connectionString, const QString& driverText);
