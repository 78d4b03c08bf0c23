#include "app/ConnectionText.h"

#include "db/ConnectionString.h"
#include "db/DbError.h"

#include <QRegularExpression>

namespace {

const QRegularExpression::PatternOptions PatternOptions = QRegularExpression::DotMatchesEverythingOption;

// A value the connections would read otherwise (cut at ";", trimmed, taken for a quoted one)
// goes in double quotes; any other stays as typed, so the usual strings do not change.
QString ValueItem(const QString& value) {
    const bool asTyped = !value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('"')) &&
                         !value.startsWith(QLatin1Char('\'')) && value.trimmed() == value;
    return asTyped ? value : QuoteConnectionValue(value);
}

QString ProviderItem(const TConnectionFields& fields) {
    switch (fields.ServerType) {
    case TServerType::MSSQLServer: return QStringLiteral("Provider=") + QLatin1String(MSSQLDriver);
    case TServerType::PostgreSQL: return QStringLiteral("Provider=") + QLatin1String(PostgreSQLDriver);
    case TServerType::Other: return QStringLiteral("Provider=") + ValueItem(fields.Driver);
    case TServerType::None: break;
    }
    return QString();
}

QString DefaultDatabase(TServerType type) {
    return type == TServerType::PostgreSQL ? QStringLiteral("postgres") : QStringLiteral("master");
}

QString AuthenticationItems(const TConnectionFields& fields) {
    const bool mssql = fields.ServerType == TServerType::MSSQLServer;
    if (fields.NTAuthorization) return QStringLiteral(";Integrated Security=SSPI");
    if (!fields.UserName.isEmpty())
        return (mssql ? QStringLiteral(";Persist Security Info=True") : QString()) + QStringLiteral(";User ID=") +
               ValueItem(fields.UserName) + QStringLiteral(";Password=") + ValueItem(fields.Password);
    return mssql ? QStringLiteral(";Persist Security Info=False") : QString();
}

// "$1" of a replacement over the whole text, as the one-call replace function gives it.
QString ReplaceWithFirstGroup(const QString& pattern, const QString& text) {
    const QRegularExpression expression(pattern, PatternOptions);
    QString result;
    qsizetype last = 0;
    for (auto it = expression.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        result += text.mid(last, match.capturedStart() - last) + match.captured(1);
        last = match.capturedEnd();
    }
    return result + text.mid(last);
}

}  // namespace

bool PatternFound(const QString& pattern, const QString& text) {
    return QRegularExpression(pattern, PatternOptions).match(text).hasMatch();
}

QString BuildConnectionString(const TConnectionFields& fields, unsigned databaseSelector) {
    QString text = ProviderItem(fields);
    const QString keyword =
        fields.ServerType == TServerType::MSSQLServer ? QStringLiteral("Initial Catalog") : QStringLiteral("Location");
    if (!fields.ServerName.isEmpty()) text += QStringLiteral(";Data Source=") + ValueItem(fields.ServerName);
    if (databaseSelector == 0)
        text = QStringLiteral("%1;%2=%3").arg(text, keyword, DefaultDatabase(fields.ServerType));
    else if (databaseSelector == 1 && !fields.DBName.isEmpty())
        text = QStringLiteral("%1;%2=%3").arg(text, keyword, ValueItem(fields.DBName));
    return text + AuthenticationItems(fields);
}

// The first reading: the value after the last "key=" anywhere in the text, up to the next ";".
static QString FindParamByPattern(const QString& connectionText, const QString& key) {
    if (PatternFound(key + QStringLiteral("=\"\";"), connectionText)) return QString();
    if (PatternFound(key + QStringLiteral("=\"?(.*?)\"?;"), connectionText))
        return ReplaceWithFirstGroup(QStringLiteral(".*") + key + QStringLiteral("=\"?(.*?)\"?;.*"), connectionText);
    return QString();
}

QString ExtractConnectionParam(const QString& connectionText, const QString& key) {
    // Read pair by pair as the connections read it: a quoted value comes back whole, and
    // text inside a value (a typed password) is never taken for a key of its own.
    try {
        return ParseConnectionString(connectionText).Value(key);
    } catch (const EDatabaseError&) {
        // A text the connections cannot read still fills what it can.
        return FindParamByPattern(connectionText, key);
    }
}

QString DatabaseKeyword(const QString& driver) {
    if (PatternFound(QStringLiteral("PostgreSQL"), driver)) return QStringLiteral("Location");
    if (PatternFound(QStringLiteral("SQLOLEDB"), driver)) return QStringLiteral("Initial Catalog");
    // The embedded SQLite file is written under "Location"; without this a file chosen in
    // the dialog would never reach "Имя базы:".
    if (driver.contains(QLatin1String("SQLite"), Qt::CaseInsensitive)) return QStringLiteral("Location");
    return QStringLiteral("%DBNAMESETTING%");
}

TServerType ServerTypeOfDriver(const QString& driver) {
    if (PatternFound(QStringLiteral("SQLOLEDB"), driver)) return TServerType::MSSQLServer;
    if (PatternFound(QStringLiteral("PostgreSQL"), driver)) return TServerType::PostgreSQL;
    return TServerType::Other;
}

void ReadConnectionText(TConnectionFields& fields, const QString& connectionText) {
    fields.Driver = ExtractConnectionParam(connectionText, QStringLiteral("Provider"));
    const TServerType type = ServerTypeOfDriver(fields.Driver);
    // A button selected anew runs its click handler, which writes its own driver text.
    if (type != fields.ServerType) {
        if (type == TServerType::MSSQLServer) fields.Driver = QLatin1String(MSSQLDriver);
        if (type == TServerType::PostgreSQL) fields.Driver = QLatin1String(PostgreSQLDriver);
        fields.ServerType = type;
    }
    fields.ServerName = ExtractConnectionParam(connectionText, QStringLiteral("Data Source"));
    fields.DBName = ExtractConnectionParam(connectionText, DatabaseKeyword(fields.Driver));
    fields.NTAuthorization = ExtractConnectionParam(connectionText, QStringLiteral("Integrated Security"))
                                 .compare(QLatin1String("SSPI"), Qt::CaseInsensitive) == 0;
    fields.UserName = ExtractConnectionParam(connectionText, QStringLiteral("User ID"));
    fields.Password = ExtractConnectionParam(connectionText, QStringLiteral("Password"));
}
