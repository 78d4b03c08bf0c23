#include "cli/CliOptions.h"

#include <QSet>

namespace {

// One flag as written: "--name value" or "--name=value".
struct TFlag {
    QString Name;
    QString Value;
    bool HasValue = false;
};

const QStringList ValueFlags = {QStringLiteral("--source"), QStringLiteral("--dest"),
                                QStringLiteral("--titles"), QStringLiteral("--save"),
                                QStringLiteral("--on-duplicate"), QStringLiteral("--timeout"),
                                QStringLiteral("--log"), QStringLiteral("--source-password-env"),
                                QStringLiteral("--source-password-file"), QStringLiteral("--dest-password-env"),
                                QStringLiteral("--dest-password-file"), QStringLiteral("--summary"),
                                QStringLiteral("--key-map")};
const QStringList SwitchFlags = {QStringLiteral("--all-titles"), QStringLiteral("--list-titles"),
                                 QStringLiteral("--help")};

QList<TFlag> SplitFlags(const QStringList& arguments) {
    QList<TFlag> flags;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!argument.startsWith(QStringLiteral("--")))
            throw EUsageError(QStringLiteral("unexpected argument \"%1\"").arg(argument));
        TFlag flag;
        const int equals = argument.indexOf(QLatin1Char('='));
        flag.Name = equals < 0 ? argument : argument.left(equals);
        if (SwitchFlags.contains(flag.Name)) {
            if (equals >= 0) throw EUsageError(QStringLiteral("%1 takes no value").arg(flag.Name));
        } else if (ValueFlags.contains(flag.Name)) {
            if (equals >= 0) {
                flag.Value = argument.mid(equals + 1);
            } else {
                // A flag in the value's place means the value was left out.
                if (i + 1 >= arguments.size() || arguments[i + 1].startsWith(QStringLiteral("--")))
                    throw EUsageError(QStringLiteral("%1 needs a value").arg(flag.Name));
                flag.Value = arguments[++i];
            }
            flag.HasValue = true;
        } else {
            throw EUsageError(QStringLiteral("unknown option %1").arg(flag.Name));
        }
        flags.append(flag);
    }
    return flags;
}

QStringList ParseTitleCodes(const QString& text) {
    QStringList codes;
    for (const QString& part : text.split(QLatin1Char(','))) {
        const QString code = part.trimmed();
        if (code.isEmpty()) throw EUsageError(QStringLiteral("--titles: empty title code in \"%1\"").arg(text));
        codes.append(code);
    }
    return codes;
}

bool ParseYesNo(const QString& flag, const QString& value) {
    if (value == QStringLiteral("yes")) return true;
    if (value == QStringLiteral("no")) return false;
    throw EUsageError(QStringLiteral("%1 must be yes or no, not \"%2\"").arg(flag, value));
}

bool ParseDuplicateAnswer(const QString& value) {
    if (value == QStringLiteral("ignore")) return true;
    if (value == QStringLiteral("cancel")) return false;
    throw EUsageError(QStringLiteral("--on-duplicate must be cancel or ignore, not \"%1\"").arg(value));
}

int ParseTimeout(const QString& value) {
    bool ok = false;
    const int seconds = value.trimmed().toInt(&ok);
    if (!ok || seconds < MinTimeout || seconds > MaxTimeout)
        throw EUsageError(QStringLiteral("--timeout must be a whole number of seconds from %1 to %2, not \"%3\"")
                              .arg(MinTimeout)
                              .arg(MaxTimeout)
                              .arg(value));
    return seconds;
}

void RequireNonEmpty(const TFlag& flag) {
    if (flag.Value.trimmed().isEmpty()) throw EUsageError(QStringLiteral("%1 needs a value").arg(flag.Name));
}

void CheckPasswordFlags(const QSet<QString>& seen) {
    for (const QString& role : {QStringLiteral("--source"), QStringLiteral("--dest")})
        if (seen.contains(role + QStringLiteral("-password-env")) && seen.contains(role + QStringLiteral("-password-file")))
            throw EUsageError(QStringLiteral("give either %1-password-env or %1-password-file, not both").arg(role));
}

void CheckModeFlags(const TCliOptions& options, const QSet<QString>& seen) {
    CheckPasswordFlags(seen);
    if (options.Source.isEmpty()) throw EUsageError(QStringLiteral("--source is required"));
    if (options.Mode == TCliMode::ListTitles) {
        for (const QString& name : {QStringLiteral("--dest"), QStringLiteral("--titles"), QStringLiteral("--all-titles"),
                                    QStringLiteral("--save"), QStringLiteral("--on-duplicate"),
                                    QStringLiteral("--dest-password-env"), QStringLiteral("--dest-password-file"),
                                    QStringLiteral("--summary"), QStringLiteral("--key-map")})
            if (seen.contains(name)) throw EUsageError(QStringLiteral("--list-titles does not take %1").arg(name));
        return;
    }
    if (options.Dest.isEmpty()) throw EUsageError(QStringLiteral("--dest is required"));
    const bool titles = seen.contains(QStringLiteral("--titles"));
    if (titles && options.AllTitles) throw EUsageError(QStringLiteral("give either --titles or --all-titles, not both"));
    if (!titles && !options.AllTitles) throw EUsageError(QStringLiteral("--titles CODES or --all-titles is required"));
    if (!seen.contains(QStringLiteral("--save"))) throw EUsageError(QStringLiteral("--save yes|no is required"));
}

}  // namespace

TCliOptions ParseCliArguments(const QStringList& arguments) {
    // --help wins over everything else on the line, even over mistakes.
    for (const QString& argument : arguments)
        if (argument == QStringLiteral("--help")) return TCliOptions{};

    if (arguments.isEmpty()) throw EUsageError(QStringLiteral("no arguments"));
    TCliOptions options;
    options.Mode = TCliMode::Import;
    QSet<QString> seen;
    for (const TFlag& flag : SplitFlags(arguments)) {
        if (seen.contains(flag.Name)) throw EUsageError(QStringLiteral("%1 is given more than once").arg(flag.Name));
        seen.insert(flag.Name);
        if (flag.HasValue) RequireNonEmpty(flag);

        if (flag.Name == QStringLiteral("--source")) options.Source = flag.Value;
        else if (flag.Name == QStringLiteral("--dest")) options.Dest = flag.Value;
        else if (flag.Name == QStringLiteral("--titles")) options.TitleCodes = ParseTitleCodes(flag.Value);
        else if (flag.Name == QStringLiteral("--all-titles")) options.AllTitles = true;
        else if (flag.Name == QStringLiteral("--list-titles")) options.Mode = TCliMode::ListTitles;
        else if (flag.Name == QStringLiteral("--save")) options.Save = ParseYesNo(flag.Name, flag.Value);
        else if (flag.Name == QStringLiteral("--on-duplicate")) options.IgnoreDuplicates = ParseDuplicateAnswer(flag.Value);
        else if (flag.Name == QStringLiteral("--timeout")) options.Timeout = ParseTimeout(flag.Value);
        else if (flag.Name == QStringLiteral("--log")) options.LogFile = flag.Value;
        else if (flag.Name == QStringLiteral("--summary")) options.SummaryFile = flag.Value;
        else if (flag.Name == QStringLiteral("--key-map")) options.KeyMapFile = flag.Value;
        else if (flag.Name == QStringLiteral("--source-password-env")) options.SourcePassword.EnvironmentVariable = flag.Value;
        else if (flag.Name == QStringLiteral("--source-password-file")) options.SourcePassword.File = flag.Value;
        else if (flag.Name == QStringLiteral("--dest-password-env")) options.DestPassword.EnvironmentVariable = flag.Value;
        else if (flag.Name == QStringLiteral("--dest-password-file")) options.DestPassword.File = flag.Value;
    }
    CheckModeFlags(options, seen);
    return options;
}
