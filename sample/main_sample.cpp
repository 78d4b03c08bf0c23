// road-sample: makes sample road-inventory databases (SQLite files) for the demo, the
// end-to-end tests and the benchmarks.

#include "sample/SampleDatabase.h"

#include "db/ADOConnection.h"
#include "support/Exception.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>
#include <cstdio>
#include <exception>
#include <functional>
#include <optional>

static const char usageText[] =
    "Usage:\n"
    "  road-sample source PATH [--titles N] [--rows N] [--seed N] [--first-title N]\n"
    "      a source database: N titles (default 5, may be 0) of N rows each (default 3,\n"
    "      at least 1), drawn from the seed (default 1); titles are numbered in their names\n"
    "      from --first-title (default 1), and have the keys 1..titles\n"
    "  road-sample empty PATH [--with-dictionaries]\n"
    "      an empty database of the same schema; with the dictionary and territorial rows\n"
    "      that a working destination already holds\n"
    "  road-sample schema [--postgres]\n"
    "      prints the schema text (SQLite's, or PostgreSQL's)\n"
    "An existing file at PATH is replaced. PATH may instead be a connection string\n"
    "(\"Provider=PostgreSQL;Data Source=host:port;Location=db;User ID=u;Password=p\") naming an\n"
    "existing empty database, which is filled with the schema of its backend.\n";

static void Print(FILE* stream, const QString& text) { std::fputs(text.toUtf8().constData(), stream); }

static int Usage(const QString& problem) {
    if (!problem.isEmpty()) Print(stderr, QStringLiteral("road-sample: ") + problem + QLatin1Char('\n'));
    std::fputs(usageText, stderr);
    return 2;
}

// PATH given as a connection string names a database to fill rather than a file to write.
static bool IsConnectionString(const QString& path) {
    return path.startsWith(QLatin1String("Provider="), Qt::CaseInsensitive);
}

static void FillDatabase(const QString& connectionString, const std::function<void(TADOConnection&)>& fill) {
    TADOConnection connection;
    connection.ConnectionString = connectionString;
    connection.Open();
    fill(connection);
    connection.Close();
}

// What the messages call the database: the connection string without its password.
static QString TargetName(const QString& path) {
    if (!IsConnectionString(path)) return path;
    QString name = path;
    static const QRegularExpression password(QStringLiteral("(?i)(;\\s*password\\s*=)[^;]*"));
    return name.replace(password, QStringLiteral("\\1***"));
}

// A whole-number option value, or nothing when it is not one.
static std::optional<qint64> NumberOption(const QString& text) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok) return std::nullopt;
    return value;
}

static int MakeSource(const QStringList& args) {
    int titles = 5, rows = 3, firstTitle = 1;
    std::uint64_t seed = 1;
    for (int i = 2; i < args.size(); i += 2) {
        const QString& option = args[i];
        if (i + 1 >= args.size()) return Usage(QStringLiteral("missing value after ") + option);
        const QString& text = args[i + 1];
        if (option == QLatin1String("--seed")) {
            bool ok = false;
            seed = text.toULongLong(&ok);
            if (!ok) return Usage(QStringLiteral("--seed wants a whole number, not ") + text);
            continue;
        }
        const std::optional<qint64> value = NumberOption(text);
        if (!value || *value > 1000000) return Usage(option + QStringLiteral(" wants a whole number, not ") + text);
        if (option == QLatin1String("--titles") && *value >= 0) titles = static_cast<int>(*value);
        else if (option == QLatin1String("--rows") && *value >= 1) rows = static_cast<int>(*value);
        else if (option == QLatin1String("--first-title") && *value >= 1) firstTitle = static_cast<int>(*value);
        else if (option == QLatin1String("--titles") || option == QLatin1String("--rows") ||
                 option == QLatin1String("--first-title"))
            return Usage(option + QStringLiteral(" is out of range: ") + text);
        else return Usage(QStringLiteral("unknown option ") + option);
    }
    if (IsConnectionString(args[1]))
        FillDatabase(args[1], [&](TADOConnection& c) { FillSampleDatabase(c, titles, rows, seed, firstTitle); });
    else
        GenerateSampleDatabase(args[1], titles, rows, seed, firstTitle);
    Print(stdout, QStringLiteral("%1: %2 titles of %3 rows, seed %4\n").arg(TargetName(args[1])).arg(titles).arg(rows).arg(seed));
    return 0;
}

static int MakeEmpty(const QStringList& args) {
    bool withDictionaries = false;
    for (int i = 2; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--with-dictionaries")) withDictionaries = true;
        else return Usage(QStringLiteral("unknown option ") + args[i]);
    }
    if (IsConnectionString(args[1]))
        FillDatabase(args[1], [&](TADOConnection& c) { FillEmptySampleDatabase(c, withDictionaries); });
    else
        CreateEmptySampleDatabase(args[1], withDictionaries);
    Print(stdout, TargetName(args[1]) + (withDictionaries ? QStringLiteral(": empty, with dictionaries\n") : QStringLiteral(": empty\n")));
    return 0;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // the SQL drivers are plugins found through it
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.size() == 1 && (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h"))) {
        std::fputs(usageText, stdout);
        return 0;
    }
    try {
        if (args.size() == 1 && args[0] == QLatin1String("schema")) {
            Print(stdout, SampleSchemaText());
            return 0;
        }
        if (args.size() == 2 && args[0] == QLatin1String("schema") && args[1] == QLatin1String("--postgres")) {
            Print(stdout, SamplePostgresSchemaText());
            return 0;
        }
        if (args.size() >= 2 && args[0] == QLatin1String("source") && !args[1].startsWith(QLatin1String("--")))
            return MakeSource(args);
        if (args.size() >= 2 && args[0] == QLatin1String("empty") && !args[1].startsWith(QLatin1String("--")))
            return MakeEmpty(args);
        return Usage(args.isEmpty() ? QString() : QStringLiteral("bad arguments"));
    } catch (const Exception& e) {
        Print(stderr, QStringLiteral("road-sample: ") + e.message() + QLatin1Char('\n'));
    } catch (const std::exception& e) {
        Print(stderr, QStringLiteral("road-sample: ") + QString::fromUtf8(e.what()) + QLatin1Char('\n'));
    }
    return 1;
}
