#pragma once
// The wizard's saved connection values: the twelve named values of the source and destination
// frames (never a password), plus one value per frame with the provider of a frame that is not
// Microsoft SQL Server, so that an embedded-database frame comes back as one.

#include <QString>

class TStorage;

// What the saved settings need from a connection frame.
class TSavedFrameFields {
public:
    virtual ~TSavedFrameFields() = default;
    virtual QString ServerName() const = 0;
    virtual void SetServerName(const QString& value) = 0;
    virtual QString DBName() const = 0;
    virtual void SetDBName(const QString& value) = 0;
    virtual QString UserName() const = 0;
    virtual void SetUserName(const QString& value) = 0;
    virtual bool NTAuthorization() const = 0;
    virtual bool SQLAuthorization() const = 0;
    // Selecting a choice clears its partner and acts as the choice's click; clearing it does
    // nothing else.
    virtual void SetNTAuthorization(bool selected) = 0;
    virtual void SetSQLAuthorization(bool selected) = 0;
    // The number in the time-out field's text, 30 when it is not one.
    virtual int Timeout() const = 0;
    virtual void SetTimeout(int seconds) = 0;
    // The provider of a frame whose type is not Microsoft SQL Server; empty for that type.
    virtual QString Provider() const = 0;
    // Puts the frame on that provider as the connection wizard's answer would (empty: SQL Server).
    virtual void SetProvider(const QString& provider) = 0;
};

constexpr int MinTimeout = 30;
constexpr int MaxTimeout = 3600;

// Storage1Save: writes the twelve values in their order, then the two provider values.
void SaveWizardSettings(TStorage& storage, const TSavedFrameFields& source, const TSavedFrameFields& dest);
// Storage1Restore: reads the two provider values, then the twelve in their order, with the
// defaults and fallbacks of each.
void RestoreWizardSettings(TStorage& storage, TSavedFrameFields& source, TSavedFrameFields& dest);
