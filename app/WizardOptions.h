#pragma once
// The window's start-up options: road-import-wizard [--source CONN] [--dest CONN]. Each
// fills a connection frame from a connection string, as the data-link dialog's answer does.

#include "support/Exception.h"

#include <QString>
#include <QStringList>

struct TWizardOptions {
    QString Source;
    QString Dest;
    bool Help = false;
};

// A malformed command line; the message says what is wrong.
class EWizardUsage : public Exception {
public:
    using Exception::Exception;
};

// The arguments after the program name. Raises EWizardUsage for an unknown option, a
// missing or repeated value, or a connection string that cannot be read.
TWizardOptions ParseWizardArguments(const QStringList& arguments);

QString WizardUsageText();
