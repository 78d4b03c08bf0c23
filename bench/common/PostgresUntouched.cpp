#include "common/PostgresUntouched.h"

#include "common/BenchQueries.h"
#include "common/PostgresSample.h"

#include "db/ConnectionString.h"

#include <QProcess>
#include <QStringList>
#include <csignal>

namespace {

struct TEnding {
    const char* Name;
    const char* Save;
    enum { Runs, Killed, DestEnded, SourceEnded } Cut;
    bool RefusedCommit;
};

const TEnding Endings[] = {
    {"saved", "yes", TEnding::Runs, false},          {"declined", "no", TEnding::Runs, false},
    {"failed", "yes", TEnding::Runs, true},          {"killed", "yes", TEnding::Killed, false},
    {"dest ended", "yes", TEnding::DestEnded, false}, {"source ended", "yes", TEnding::SourceEnded, false},
};

// Every row of the catalogue that describes the schema public, sorted.
QStringList Catalogue(const QString& connection) {
    const QString inPublic = QStringLiteral("c.relnamespace = 'public'::regnamespace");
    QStringList rows =
        BenchRows(connection, QStringLiteral("select 'class', c.relname, c.relkind, c.relnatts from pg_class c where ") + inPublic) +
        BenchRows(connection, QStringLiteral("select 'attribute', c.relname, a.attnum, a.attname, a.atttypid, a.attisdropped "
                                        "from pg_attribute a join pg_class c on c.oid = a.attrelid where a.attnum > 0 and ") +
                             inPublic) +
        BenchRows(connection, QStringLiteral("select 'index', c.relname, pg_get_indexdef(i.indexrelid) from pg_index i "
                                        "join pg_class c on c.oid = i.indexrelid where ") + inPublic) +
        BenchRows(connection, QStringLiteral("select 'constraint', c.relname, k.conname, pg_get_constraintdef(k.oid) "
                                        "from pg_constraint k join pg_class c on c.oid = k.conrelid where ") + inPublic);
    rows.sort();
    return rows;
}

QStringList Catalogues(const QString& source, const QString& dest) {
    return Catalogue(source) + QStringList{QStringLiteral("---")} + Catalogue(dest);
}

// The first line that one catalogue holds and the other does not.
QString FirstDifference(const QStringList& before, const QStringList& now) {
    for (const QString& line : now)
        if (!before.contains(line)) return QStringLiteral("appeared: ") + line;
    for (const QString& line : before)
        if (!now.contains(line)) return QStringLiteral("went: ") + line;
    return QString();
}

void EndSessionsOf(const QString& server, const QString& connection) {
    BenchExecute(server + QStringLiteral(";Location=postgres"),
            QStringLiteral("select pg_terminate_backend(pid) from pg_stat_activity where datname = '%1' and "
                           "application_name = 'road-import'")
                .arg(ParseConnectionString(connection).Location()));
}

bool WaitForLine(QProcess& process, const QString& prefix) {
    if (!process.waitForStarted()) return false;
    while (process.state() == QProcess::Running || process.canReadLine()) {
        if (!process.canReadLine() && !process.waitForReadyRead(60000)) return false;
        while (process.canReadLine())
            if (QString::fromUtf8(process.readLine()).startsWith(prefix)) return true;
    }
    return false;
}

// A destination that refuses every title at its commit: the run fails after its copy.
void RefuseCommits(const QString& dest) {
    BenchExecute(dest, QStringLiteral("create function road_bench_refuse() returns trigger language plpgsql as "
                                 "$$ begin raise exception 'title refused'; end $$"));
    BenchExecute(dest, QStringLiteral("create constraint trigger road_bench_refuse after insert on Титул deferrable "
                                 "initially deferred for each row execute function road_bench_refuse()"));
}

TEndingCheck CheckEnding(const TEnding& ending, const QString& server, const QString& sourceName,
                         const QString& destName, const QString& titleKeys, const QString& logFile) {
    TEndingCheck check{QString::fromLatin1(ending.Name), false, QString()};
    const QString source = CopyPostgresDatabase(server, sourceName, QStringLiteral("road_bench_check_source"));
    const QString dest = CopyPostgresDatabase(server, destName, QStringLiteral("road_bench_check_dest"));
    if (ending.RefusedCommit) RefuseCommits(dest);
    const QStringList before = Catalogues(source, dest);

    QProcess run;
    run.start(QStringLiteral(ROAD_IMPORT_BIN),
              {QStringLiteral("--source"), source, QStringLiteral("--dest"), dest, QStringLiteral("--titles"), titleKeys,
               QStringLiteral("--save"), QString::fromLatin1(ending.Save), QStringLiteral("--log"), logFile});
    if (!WaitForLine(run, QStringLiteral("Импорт таблицы Знак"))) {
        run.kill();
        run.waitForFinished();
        check.Detail = QStringLiteral("the run ended before its copy: ") + QString::fromUtf8(run.readAllStandardError());
        return check;
    }
    ::kill(static_cast<pid_t>(run.processId()), SIGSTOP);
    const QString during = FirstDifference(before, Catalogues(source, dest));
    ::kill(static_cast<pid_t>(run.processId()), SIGCONT);
    if (ending.Cut == TEnding::Killed) run.kill();
    if (ending.Cut == TEnding::DestEnded) EndSessionsOf(server, dest);
    if (ending.Cut == TEnding::SourceEnded) EndSessionsOf(server, source);
    run.waitForFinished(600000);
    const QString after = FirstDifference(before, Catalogues(source, dest));
    check.Untouched = during.isEmpty() && after.isEmpty();
    check.Detail = !during.isEmpty() ? QStringLiteral("during the run ") + during
                   : !after.isEmpty() ? QStringLiteral("after the run ") + after
                   : run.exitStatus() == QProcess::CrashExit ? QStringLiteral("killed")
                                                             : QStringLiteral("exit status %1").arg(run.exitCode());
    return check;
}

}  // namespace

QVector<TEndingCheck> CheckCataloguesUntouched(const QString& server, const QString& source, const QString& dest,
                                               int titles, const QString& logFile) {
    QStringList keys;
    for (int key = 1; key <= titles; ++key) keys << QString::number(key);
    QVector<TEndingCheck> checks;
    for (const TEnding& ending : Endings)
        checks.append(CheckEnding(ending, server, source, dest, keys.join(QLatin1Char(',')), logFile));
    DropPostgresDatabaseIfAny(server, QStringLiteral("road_bench_check_source"));
    DropPostgresDatabaseIfAny(server, QStringLiteral("road_bench_check_dest"));
    return checks;
}
