#pragma once
// A connection's password kept off the command line, where every user of the machine can
// read it: taken from an environment variable or an owner-only file named by an option, or
// asked for on the terminal without echo when the string names a user and no password.
// The password itself never appears in a message.

#include <QString>

// Where one connection's password comes from; both empty: from the string or the prompt.
struct TPasswordOrigin {
    QString EnvironmentVariable;
    QString File;
};

// The connection string with the password added. role names the connection in messages
// ("source", "destination"); option is its options' prefix ("--source"). Raises
// EUsageError for an unset variable, a file that cannot be read or that other users may
// read or write, a password given twice, or a prompt left without an answer.
QString WithPassword(const QString& connectionString, const TPasswordOrigin& origin, const QString& role,
                     const QString& option);

// Whether the string holds a password (so that the runner can warn that it is visible).
bool HoldsPassword(const QString& connectionString);
