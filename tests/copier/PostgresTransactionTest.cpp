// Ending the run's transaction on the suite's real PostgreSQL server: a COMMIT that the
// server refuses has already ended the transaction, so no ROLLBACK follows it, and what
// the server says along the way (a trigger's NOTICE) goes to the diagnostic log.

#include "common/PostgresTestServer.h"
#include "common/TestFiles.h"

#include "copier/Transaction.h"
#include "db/ADOConnection.h"
#include "support/Log.h"

#include <QFile>

namespace {

QString FileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

TEST(PostgresTransaction, ARefusedCommitIsNotRolledBackAgainAndNoticesAreLogged) {
    REQUIRE_POSTGRES_SERVER();
    TTestDir dir;
    const QString logPath = dir.Path(QStringLiteral("copier.log"));
    LogLevel = 1;
    LogFileName = logPath;
    ResetLogState();

    const QString name = QStringLiteral("road_refused_commit");
    TADOConnection dest;
    dest.ConnectionString = CreatePostgresDatabase(name);
    dest.Open();
    for (const QString& statement : {
             QStringLiteral("create table Узел (Код serial primary key, "
                            "Родитель int references Узел deferrable initially deferred)"),
             QStringLiteral("create function Сообщить() returns trigger language plpgsql as "
                            "$$ begin raise notice 'узел % добавлен', new.Код; return new; end $$"),
             QStringLiteral("create trigger Узел_добавлен after insert on Узел for each row execute function Сообщить()"),
         })
        dest.Run(statement, {}, false);

    // The parent 99 does not exist: the check put off to the COMMIT refuses it.
    ExecuteTransactionStatement(dest, BeginTransactionText);
    dest.Run(QStringLiteral("insert into Узел (Родитель) values (99)"), {}, false);
    EXPECT_FALSE(dest.NoTransactionOpen());
    EXPECT_FALSE(EndTransaction(dest, true));
    EXPECT_TRUE(dest.NoTransactionOpen());
    RollBackFailedRun(dest);  // nothing left to roll back: said so, not sent

    // A transaction that is still open is rolled back as before.
    ExecuteTransactionStatement(dest, BeginTransactionText);
    dest.Run(QStringLiteral("insert into Узел (Родитель) values (null)"), {}, false);
    RollBackFailedRun(dest);
    EXPECT_TRUE(dest.NoTransactionOpen());
    EXPECT_EQ(Rows(dest, QStringLiteral("select count(*) from Узел")), QStringList{QStringLiteral("0")});
    dest.Close();
    DropPostgresDatabase(name);

    const QString log = FileText(logPath);
    LogLevel = 0;
    LogFileName.clear();
    EXPECT_TRUE(log.contains(QStringLiteral("Сообщение сервера PostgreSQL: NOTICE:  узел 1 добавлен"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("COMMIT TRANSACTION; не выполнен, транзакция отменена сервером"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("Импорт завершился ошибкой, транзакция отменена сервером"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("Импорт завершился ошибкой, транзакция отменена (ROLLBACK TRANSACTION;)")))
        << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("no transaction in progress"))) << log.toStdString();
}
