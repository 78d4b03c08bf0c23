#include "settings/WizardSettings.h"

#include "settings/Storage.h"

#include <QtGlobal>

namespace {

// The provider values, written after the twelve: an older reader ignores them.
const QString SourceProvider = QStringLiteral("OLEDBDriverEdit");
const QString DestProvider = QStringLiteral("OLEDBDriverEdit1");

}  // namespace

void SaveWizardSettings(TStorage& storage, const TSavedFrameFields& source, const TSavedFrameFields& dest) {
    storage.WriteString(QStringLiteral("ServerNameEdit"), source.ServerName());
    storage.WriteString(QStringLiteral("ServerNameEdit1"), dest.ServerName());
    storage.WriteString(QStringLiteral("DBNameEdit"), source.DBName());
    storage.WriteString(QStringLiteral("DBNameEdit1"), dest.DBName());
    storage.WriteString(QStringLiteral("UserNameEdit"), source.UserName());
    storage.WriteString(QStringLiteral("UserNameEdit1"), dest.UserName());
    storage.WriteBool(QStringLiteral("NTAuthorizationButton"), source.NTAuthorization());
    storage.WriteBool(QStringLiteral("SQLAuthorizationButton"), source.SQLAuthorization());
    storage.WriteBool(QStringLiteral("NTAuthorizationButton1"), dest.NTAuthorization());
    storage.WriteBool(QStringLiteral("SQLAuthorizationButton1"), dest.SQLAuthorization());
    storage.WriteInteger(QStringLiteral("TimeOut"), source.Timeout());
    storage.WriteInteger(QStringLiteral("TimeOut1"), dest.Timeout());
    storage.WriteString(SourceProvider, source.Provider());
    storage.WriteString(DestProvider, dest.Provider());
}

namespace {

void RestoreAuthorization(TStorage& storage, TSavedFrameFields& frame, const QString& suffix) {
    frame.SetNTAuthorization(storage.ReadBool(QStringLiteral("NTAuthorizationButton") + suffix, frame.NTAuthorization()));
    frame.SetSQLAuthorization(
        storage.ReadBool(QStringLiteral("SQLAuthorizationButton") + suffix, frame.SQLAuthorization()));
}

int ClampedTimeout(int seconds) { return qBound(MinTimeout, seconds, MaxTimeout); }

}  // namespace

void RestoreWizardSettings(TStorage& storage, TSavedFrameFields& source, TSavedFrameFields& dest) {
    // The frames' types come back first, so that the fields below land in frames of their kind.
    source.SetProvider(storage.ReadString(SourceProvider, source.Provider()));
    dest.SetProvider(storage.ReadString(DestProvider, dest.Provider()));

    source.SetServerName(storage.ReadString(QStringLiteral("ServerNameEdit"), QString()));
    dest.SetServerName(storage.ReadString(QStringLiteral("ServerNameEdit1"), QString()));

    source.SetDBName(storage.ReadString(QStringLiteral("DBNameEdit"), source.DBName()));
    dest.SetDBName(storage.ReadString(QStringLiteral("DBNameEdit1"), source.DBName()));

    source.SetUserName(storage.ReadString(QStringLiteral("UserNameEdit"), source.UserName()));
    dest.SetUserName(storage.ReadString(QStringLiteral("UserNameEdit1"), dest.UserName()));

    RestoreAuthorization(storage, source, QString());
    RestoreAuthorization(storage, dest, QStringLiteral("1"));

    source.SetTimeout(ClampedTimeout(storage.ReadInteger(QStringLiteral("TimeOut"), source.Timeout())));
    dest.SetTimeout(ClampedTimeout(storage.ReadInteger(QStringLiteral("TimeOut1"), source.Timeout())));
}
