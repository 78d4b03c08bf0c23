// Passwords kept off the command line: from an environment variable, an owner-only file or
// a prompt without echo, and never shown in a message or the diagnostic log.

#include "cli/CliHarness.h"
#include "common/PostgresTestServer.h"
#include "common/TestFiles.h"
#include "db/ConnectionString.h"

#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString WrongPassword = QStringLiteral("Wr0ng;Pa55\"word");

// The test server's connection string without its password, and the password.
QString ServerWithoutPassword(QString* password) {
    const TConnectionParams params = ParseConnectionString(PostgresAdminConnectionString());
    *password = params.Password();
    QStringList pairs;
    for (const auto& item : params.Items)
        if (item.first.compare(QStringLiteral("Password"), Qt::CaseInsensitive) != 0)
            pairs << item.first + QLatin1Char('=') + QuoteConnectionValue(item.second);
    return pairs.join(QLatin1Char(';'));
}

QString FileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void WriteFile(const QString& path, const QString& text, QFileDevice::Permissions permissions) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
    file.close();
    ASSERT_TRUE(file.setPermissions(permissions));
}

void ExpectNowhere(const QString& password, const TToolRun& run, const QString& log) {
    EXPECT_FALSE(run.Err.contains(password)) << run.Err.toStdString();
    EXPECT_FALSE(run.Out.join(QLatin1Char('\n')).contains(password));
    EXPECT_FALSE(FileText(log).contains(password));
}

// The runner on a new terminal: everything it writes there, with `typed` sent once the
// prompt has appeared.
QString RunOnTerminal(const QStringList& arguments, const QByteArray& typed, int* status) {
    std::vector<QByteArray> storage{QFile::encodeName(ImporterPath())};
    for (const QString& argument : arguments) storage.push_back(argument.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& item : storage) argv.push_back(item.data());
    argv.push_back(nullptr);

    int master = -1;
    const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
    if (child == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    QByteArray transcript;
    bool sent = false;
    for (;;) {
        pollfd ready{master, POLLIN, 0};
        if (poll(&ready, 1, 20000) <= 0) break;
        char buffer[512];
        const ssize_t got = read(master, buffer, sizeof buffer);
        if (got <= 0) break;  // the child has closed the terminal
        transcript.append(buffer, got);
        if (!sent && transcript.contains("Password for")) {
            const ssize_t written = write(master, typed.constData(), static_cast<size_t>(typed.size()));
            EXPECT_EQ(written, typed.size());
            sent = true;
        }
    }
    close(master);
    waitpid(child, status, 0);
    return QString::fromUtf8(transcript);
}

}  // namespace

// A wrong password from the environment is refused by the server and shown nowhere; the
// right one from an owner-only file opens the connection; a file others may read is refused
// before anything connects.
TEST(PasswordOptions, EnvironmentAndOwnerOnlyFileKeepThePasswordOutOfEveryMessage) {
    REQUIRE_POSTGRES_SERVER();
    TTestDir dir;
    const QString log = dir.Path(QStringLiteral("run.log"));
    QString rightPassword;
    const QString server = ServerWithoutPassword(&rightPassword);
    const QStringList listTitles = {QStringLiteral("--source"), server, QStringLiteral("--list-titles"),
                                    QStringLiteral("--log"), log};

    TToolRun run = RunImporter(listTitles + QStringList{QStringLiteral("--source-password-env"), QStringLiteral("ROAD_PW")},
                               {QStringLiteral("ROAD_PW=") + WrongPassword});
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("cannot open the source connection"))) << run.Err.toStdString();
    EXPECT_TRUE(run.Err.contains(QStringLiteral("password authentication failed"))) << run.Err.toStdString();
    ExpectNowhere(WrongPassword, run, log);

    const QString passwordFile = dir.Path(QStringLiteral("pw"));
    WriteFile(passwordFile, rightPassword + QLatin1Char('\n'), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    run = RunImporter(listTitles + QStringList{QStringLiteral("--source-password-file"), passwordFile});
    // Connected: what fails now is the title list of a database without road tables.
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("title list cannot be read"))) << run.Err.toStdString();
    ExpectNowhere(rightPassword, run, log);

    WriteFile(passwordFile, rightPassword, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    run = RunImporter(listTitles + QStringList{QStringLiteral("--source-password-file"), passwordFile});
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("chmod 600"))) << run.Err.toStdString();
    ExpectNowhere(rightPassword, run, log);
}

// A string that names a user and no password, on a terminal: the password is asked for and
// not echoed; the server's refusal names the user, never what was typed.
TEST(PasswordOptions, TerminalPromptReadsThePasswordWithoutEcho) {
    REQUIRE_POSTGRES_SERVER();
    QString rightPassword;
    const QString server = ServerWithoutPassword(&rightPassword);
    int status = 0;
    const QString transcript = RunOnTerminal({QStringLiteral("--source"), server, QStringLiteral("--list-titles")},
                                             WrongPassword.toUtf8() + '\n', &status);
    EXPECT_TRUE(transcript.contains(QStringLiteral("Password for the source connection (user roadimport): ")))
        << transcript.toStdString();
    EXPECT_TRUE(transcript.contains(QStringLiteral("password authentication failed"))) << transcript.toStdString();
    EXPECT_FALSE(transcript.contains(WrongPassword)) << transcript.toStdString();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

// Mistakes with the options are usage errors; a password written into the string still
// works but is warned about.
TEST(PasswordOptions, MisusedOptionsAreRefusedAndAPasswordInTheStringIsWarnedAbout) {
    TTestDir dir;
    const QString source = dir.Path(QStringLiteral("source.db"));
    MakeSampleSource(source, 1, 1);
    const QString withUser = SqliteConnectionString(source) + QStringLiteral(";User ID=u");
    const QString withPassword = withUser + QStringLiteral(";Password=Vis1ble");

    TToolRun run = RunImporter({QStringLiteral("--source"), withUser, QStringLiteral("--list-titles"),
                                QStringLiteral("--source-password-env"), QStringLiteral("ROAD_PW_UNSET_X")});
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("ROAD_PW_UNSET_X is not set"))) << run.Err.toStdString();

    run = RunImporter({QStringLiteral("--source"), withPassword, QStringLiteral("--list-titles"),
                       QStringLiteral("--source-password-env"), QStringLiteral("ROAD_PW")},
                      {QStringLiteral("ROAD_PW=other")});
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("given both in --source and by --source-password-env")))
        << run.Err.toStdString();
    EXPECT_FALSE(run.Err.contains(QStringLiteral("Vis1ble")));

    run = RunImporter({QStringLiteral("--source"), withUser, QStringLiteral("--list-titles"),
                       QStringLiteral("--source-password-env"), QStringLiteral("A"), QStringLiteral("--source-password-file"),
                       QStringLiteral("B")});
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("not both"))) << run.Err.toStdString();

    run = RunImporter({QStringLiteral("--source"), withPassword, QStringLiteral("--list-titles")});
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Err.contains(QStringLiteral("warning: the password in --source can be read by other users")))
        << run.Err.toStdString();
    EXPECT_FALSE(run.Err.contains(QStringLiteral("Vis1ble")));
}
