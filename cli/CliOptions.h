#pragma once
// The runner's command line:
//   road-import --source CONN --dest CONN (--titles CODES | --all-titles) --save yes|no
//               [--on-duplicate cancel|ignore] [--timeout SECONDS] [--log FILE]
//               [--source-password-env VAR | --source-password-file FILE]
//               [--dest-password-env VAR | --dest-password-file FILE] [--summary FILE]
//               [--key-map FILE]
//   road-import --source CONN --list-titles [--timeout SECONDS] [--log FILE]
//               [--source-password-env VAR | --source-password-file FILE]
//   road-import --help

#include "cli/Passwords.h"
#include "support/Exception.h"

#include <QString>
#include <QStringList>

// A command line that cannot be run: its message is the one-line reason.
class EUsageError : public Exception {
public:
    using Exception::Exception;
};

enum class TCliMode { Help, ListTitles, Import };

struct TCliOptions {
    TCliMode Mode = TCliMode::Help;
    QString Source;
    QString Dest;
    QStringList TitleCodes;  // --titles, trimmed, in the order given
    bool AllTitles = false;
    bool Save = false;
    bool IgnoreDuplicates = false;
    int Timeout = 30;
    QString LogFile;
    QString SummaryFile;
    QString KeyMapFile;
    TPasswordOrigin SourcePassword;
    TPasswordOrigin DestPassword;
};

// The command timeout's bounds, as the connection frame keeps them.
constexpr int MinTimeout = 30;
constexpr int MaxTimeout = 3600;

// Parses the arguments after the program name; raises EUsageError.
TCliOptions ParseCliArguments(const QStringList& arguments);
