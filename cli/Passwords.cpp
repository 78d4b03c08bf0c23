#include "cli/Passwords.h"

#include "cli/CliOptions.h"
#include "db/ConnectionString.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString FromEnvironment(const QString& variable, const QString& option) {
    const QByteArray name = variable.toLocal8Bit();
    if (!qEnvironmentVariableIsSet(name.constData()))
        throw EUsageError(QStringLiteral("%1-password-env: the environment variable %2 is not set").arg(option, variable));
    return qEnvironmentVariable(name.constData());
}

// A password file must belong to the user and be closed to everyone else, as ssh demands
// of its keys: a file others may read gives the password away, one others may write lets
// them choose it.
void CheckOwnerOnly(const QString& path, const QString& option) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        throw EUsageError(QStringLiteral("%1-password-file: cannot read \"%2\": %3")
                              .arg(option, path, QString::fromLocal8Bit(std::strerror(errno))));
    if (status.st_uid != ::geteuid())
        throw EUsageError(QStringLiteral("%1-password-file: \"%2\" does not belong to the user running road-import")
                              .arg(option, path));
    if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        throw EUsageError(QStringLiteral("%1-password-file: other users may read or write \"%2\"; allow its owner "
                                         "only (chmod 600)")
                              .arg(option, path));
}

// The file's first line, without its line end.
QString FromFile(const QString& path, const QString& option) {
    CheckOwnerOnly(path, option);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EUsageError(QStringLiteral("%1-password-file: cannot read \"%2\": %3").arg(option, path, file.errorString()));
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
    return QString::fromUtf8(line);
}

volatile std::sig_atomic_t promptInterrupted = 0;
extern "C" void InterruptPrompt(int) { promptInterrupted = 1; }

// Echo off and an interrupt that ends the read (rather than the program, which would leave
// the terminal silent) for as long as the prompt waits.
class TSilentTerminal {
public:
    TSilentTerminal() {
        struct sigaction action {};
        action.sa_handler = InterruptPrompt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &SavedInt);
        sigaction(SIGTERM, &action, &SavedTerm);
        Silenced = ::tcgetattr(STDIN_FILENO, &Saved) == 0;
        if (Silenced) {
            termios silent = Saved;
            silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            silent.c_lflag |= ECHONL;
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
        }
    }
    ~TSilentTerminal() {
        if (Silenced) ::tcsetattr(STDIN_FILENO, TCSANOW, &Saved);
        sigaction(SIGINT, &SavedInt, nullptr);
        sigaction(SIGTERM, &SavedTerm, nullptr);
    }
    TSilentTerminal(const TSilentTerminal&) = delete;
    TSilentTerminal& operator=(const TSilentTerminal&) = delete;

private:
    termios Saved{};
    bool Silenced = false;
    struct sigaction SavedInt {};
    struct sigaction SavedTerm {};
};

QString FromTerminal(const QString& role, const QString& user) {
    const QByteArray prompt =
        QStringLiteral("Password for the %1 connection (user %2): ").arg(role, user).toUtf8();
    QByteArray line;
    bool ended = false;
    {
        // Echo goes off before the prompt shows: what is typed once the prompt is there is
        // never echoed, and never discarded by the switch.
        TSilentTerminal silent;
        std::fwrite(prompt.constData(), 1, static_cast<size_t>(prompt.size()), stderr);
        std::fflush(stderr);
        promptInterrupted = 0;
        char c = 0;
        for (;;) {
            const ssize_t got = ::read(STDIN_FILENO, &c, 1);
            if (got < 0 && errno == EINTR && !promptInterrupted) continue;
            if (got <= 0) break;
            if (c == '\n') {
                ended = true;
                break;
            }
            line.append(c);
        }
    }
    if (!ended) {
        std::fputs("\n", stderr);
        throw EUsageError(QStringLiteral("no password was entered for the %1 connection").arg(role));
    }
    if (line.endsWith('\r')) line.chop(1);
    return QString::fromUtf8(line);
}

}  // namespace

bool HoldsPassword(const QString& connectionString) {
    try {
        const TConnectionParams params = ParseConnectionString(connectionString);
        return params.Has(QStringLiteral("Password")) || params.Has(QStringLiteral("PWD"));
    } catch (const Exception&) {
        return false;  // opening it reports what is wrong
    }
}

QString WithPassword(const QString& connectionString, const TPasswordOrigin& origin, const QString& role,
                     const QString& option) {
    TConnectionParams params;
    try {
        params = ParseConnectionString(connectionString);
    } catch (const Exception&) {
        return connectionString;  // opening it reports what is wrong, naming no value
    }
    const bool inString = HoldsPassword(connectionString);
    const bool byOption = !origin.EnvironmentVariable.isEmpty() || !origin.File.isEmpty();
    if (inString && byOption)
        throw EUsageError(QStringLiteral("the %1 connection's password is given both in %2 and by %2-password-%3")
                              .arg(role, option, origin.File.isEmpty() ? QStringLiteral("env") : QStringLiteral("file")));

    QString password;
    if (!origin.EnvironmentVariable.isEmpty()) password = FromEnvironment(origin.EnvironmentVariable, option);
    else if (!origin.File.isEmpty()) password = FromFile(origin.File, option);
    else if (!inString && !params.UserId().isEmpty() && !params.IntegratedSecurity() && ::isatty(STDIN_FILENO) == 1)
        password = FromTerminal(role, params.UserId());
    else
        return connectionString;
    // A later pair overrides an earlier one; the value is quoted so that it ends nothing.
    QString result = connectionString.trimmed();
    if (!result.isEmpty() && !result.endsWith(QLatin1Char(';'))) result += QLatin1Char(';');
    return result + QStringLiteral("Password=") + QuoteConnectionValue(password);
}
