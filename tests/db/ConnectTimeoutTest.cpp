// Opening a connection against a server that takes the connection and never answers ends
// within the connection's timeout on every server backend, and says that the time ran out;
// a port where nothing listens fails at once without saying so.

#include "common/SilentServer.h"
#include "common/TestFiles.h"
#include "db/ADOConnection.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <gtest/gtest.h>

namespace {

TEST(ConnectTimeout, SilentServerEndsWithinTheTimeoutOnEveryServerBackend) {
    const int timeout = 2;
    TSilentServer silent;
    const int closed = ClosedPort();
    struct TCase {
        const char* Backend;
        QString Text;  // "%1": the port
        int Port;
        bool TimesOut;
    };
    const QString mssql = QStringLiteral("Provider=SQLOLEDB.1;Data Source=127.0.0.1,%1;Initial Catalog=road;"
                                         "Persist Security Info=True;User ID=sa;Password=secret");
    const QString postgres = QStringLiteral("Provider=PostgreSQL OLE DB Provider;Data Source=127.0.0.1:%1;Location=road;"
                                            "User ID=road;Password=secret");
    const TCase cases[] = {
        {"mssql", mssql, silent.Port(), true},
        {"postgres", postgres, silent.Port(), true},
        {"mssql", mssql, closed, false},
        {"postgres", postgres, closed, false},
    };
    const QString timedOut = QStringLiteral("Истекло время ожидания подключения (2 с): ");
    for (const TCase& test : cases) {
        SCOPED_TRACE(std::string(test.Backend) + (test.TimesOut ? " silent" : " closed"));
        TADOConnection connection;
        connection.ConnectionString = test.Text.arg(test.Port);
        connection.CommandTimeout = timeout;
        QElapsedTimer timer;
        timer.start();
        const QString message = MessageOf([&] { connection.Open(); });
        // Ended, rather than waiting for a server that will never answer.
        EXPECT_LT(timer.elapsed(), (timeout + 10) * 1000);
        EXPECT_FALSE(connection.Connected());
        EXPECT_TRUE(QSqlDatabase::connectionNames().isEmpty());
        EXPECT_EQ(message.startsWith(timedOut), test.TimesOut) << message.toStdString();
        // The driver's own text follows.
        EXPECT_GT(message.size(), timedOut.size() + 5) << message.toStdString();
        EXPECT_FALSE(message.contains(QStringLiteral("secret")));
    }
}

}  // namespace
