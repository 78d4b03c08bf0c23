#include "titles/DatabaseGuards.h"

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/DatabaseInUse.h"
#include "db/DatabaseName.h"
#include "db/RunEnding.h"

#include <QStringList>

namespace {

QString SourceDatabaseText(const TADOConnection& source) {
    return QStringLiteral("Исходная база данных \"") + DatabaseName(source.ConnectionString) + QLatin1Char('"');
}

QString DestDatabaseText(const TADOConnection& dest) {
    return QStringLiteral("Целевая база данных \"") + DatabaseName(dest.ConnectionString) + QLatin1Char('"');
}

// Whether the connection still answers; the driver's text when it does not.
bool ConnectionAnswers(TADOConnection& connection, QString& text) {
    try {
        TADOQuery probe(&connection);
        probe.SetSQL(QStringLiteral("select 1"));
        probe.Open();
        return true;
    } catch (const EDatabaseError& error) {
        // A connection the driver has closed fails without a text of its own.
        text = error.message().trimmed().isEmpty() ? QStringLiteral("соединение закрыто") : error.message().trimmed();
        return false;
    }
}

std::unique_ptr<TImportClaimHold> ClaimOrRaise(TADOConnection& connection, const QString& databaseText) {
    try {
        return TakeImportClaim(connection);
    } catch (const EDatabaseClaimed& claimed) {
        const QString holder = claimed.Holder.isEmpty() ? QString() : QStringLiteral(" (") + claimed.Holder + QLatin1Char(')');
        throw EDatabaseClaimed(databaseText + QStringLiteral(" уже используется другим импортом") + holder +
                               QStringLiteral("; импорт не начат, ничего не изменено"));
    }
}

}  // namespace

TImportClaims::TImportClaims(TADOConnection& source, TADOConnection& dest) {
    source.ResumeLockWaits();
    dest.ResumeLockWaits();
    SourceClaim = ClaimOrRaise(source, SourceDatabaseText(source));
    if (DatabaseName(dest.ConnectionString) != DatabaseName(source.ConnectionString))
        DestClaim = ClaimOrRaise(dest, DestDatabaseText(dest));
}

void RaiseWhenDatabaseInUse(TADOConnection& source, TADOConnection& dest, bool committed) {
    QStringList names;
    if (source.FoundInUse()) names << SourceDatabaseText(source);
    if (dest.FoundInUse()) names << DestDatabaseText(dest);
    if (names.isEmpty()) return;
    throw EDatabaseInUse(names.join(QStringLiteral(", ")) +
                         (names.size() > 1 ? QStringLiteral(" заняты") : QStringLiteral(" занята")) +
                         QStringLiteral(" другой программой; импорт остановлен, изменения ") +
                         (committed ? QStringLiteral("ВНЕСЕНЫ в базу") : QStringLiteral("НЕ ВНЕСЕНЫ в базу")));
}

void RaiseWhenDatabaseFailedRun(const EDatabaseError& error, TADOConnection& source, TADOConnection& dest) {
    if (dynamic_cast<const ETransactionEnded*>(&error))
        throw EDatabaseError(DestDatabaseText(dest) + QStringLiteral(": транзакция прервана сервером: ") +
                             error.message().trimmed() + QStringLiteral("; изменения НЕ ВНЕСЕНЫ в базу"));
    if (error.Connection != &source && error.Connection != &dest) return;
    throw EDatabaseError(NamedDatabaseError(error, source, dest,
                                            QStringLiteral("; импорт остановлен, изменения НЕ ВНЕСЕНЫ в базу")));
}

void RaiseWhenConnectionLost(TADOConnection& source, TADOConnection& dest) {
    const QString closing = QStringLiteral("; импорт остановлен, изменения НЕ ВНЕСЕНЫ в базу");
    QString text;
    if (!ConnectionAnswers(source, text))
        throw EDatabaseError(QStringLiteral("Соединение с исходной базой данных \"") + DatabaseName(source.ConnectionString) +
                             QStringLiteral("\" прервано (") + text + QLatin1Char(')') + closing);
    if (!ConnectionAnswers(dest, text))
        throw EDatabaseError(QStringLiteral("Соединение с целевой базой данных \"") + DatabaseName(dest.ConnectionString) +
                             QStringLiteral("\" прервано (") + text + QLatin1Char(')') + closing);
}

QString NamedDatabaseError(const EDatabaseError& error, TADOConnection& source, TADOConnection& dest,
                           const QString& closing) {
    const bool fromSource = error.Connection == &source;
    if (!fromSource && error.Connection != &dest) return error.message();
    QString text = (fromSource ? SourceDatabaseText(source) : DestDatabaseText(dest)) + QStringLiteral(": ") +
                   error.message().trimmed();
    if (error.MissingObject && !fromSource) text += QStringLiteral("; схемы баз данных различаются");
    return text + closing;
}

void RethrowNamingDatabase(TADOConnection& source, TADOConnection& dest) {
    RaiseWhenDatabaseInUse(source, dest);
    RaiseWhenConnectionLost(source, dest);
    try {
        throw;
    } catch (const EDatabaseError& error) {
        if (error.Connection != &source && error.Connection != &dest) throw;
        EDatabaseError named(NamedDatabaseError(error, source, dest));
        named.Connection = error.Connection;
        named.MissingObject = error.MissingObject;
        throw named;
    }
}
