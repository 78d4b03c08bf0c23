// road-import-wizard: the import wizard's window.

#include "app/ConnectionAttempt.h"
#include "app/DBConnectFrame.h"
#include "app/ErrorHandler.h"
#include "app/PathraImportForm.h"
#include "app/QtTranslation.h"
#include "app/WizardDialogs.h"
#include "app/WizardOptions.h"
#include "db/ImportDBModule.h"
#include "settings/Storage.h"
#include "support/Exception.h"

#include <QIcon>
#include <cstdio>
#include <cstdlib>

static void PrintError(const QString& text) { std::fputs(text.toUtf8().constData(), stderr); }

int main(int argc, char** argv) {
    // The options are read before the application exists, so that a usage error or --help
    // needs no display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    TWizardOptions options;
    try {
        options = ParseWizardArguments(arguments);
    } catch (const EWizardUsage& error) {
        PrintError(QStringLiteral("road-import-wizard: ") + error.message() + QLatin1Char('\n') + WizardUsageText());
        return 2;
    }
    if (options.Help) {
        std::fputs(WizardUsageText().toUtf8().constData(), stdout);
        return 0;
    }

    TStandardDialogs dialogs;
    TWizardApplication app(argc, argv, dialogs);
    app.setFont(WizardFont());
    // The menu entry's name and icon, so that the desktop shows the window under them.
    app.setDesktopFileName(QStringLiteral("road-import-wizard"));
    app.setWindowIcon(QIcon::fromTheme(QStringLiteral("road-import-wizard")));
    InstallQtTranslation();
    int status = 0;
    {
        // The data module exists before the window.
        TImportDBModule module;
        // The saved settings' errors on showing and closing the window go to the error box.
        TStorage::HookErrorHandler = [&dialogs](const QString& message) { HandleException(Exception(message), dialogs); };
        TPathraImportForm form(module, dialogs);
        form.show();
        // A string given here is read as the data-link dialog's answer is: it ends in ";". It
        // comes after the show, so that it wins over the frames' saved settings.
        if (!options.Source.isNull()) form.DBConnectFrame1->ReadConnectionString(options.Source + QLatin1Char(';'));
        if (!options.Dest.isNull()) form.DBConnectFrame2->ReadConnectionString(options.Dest + QLatin1Char(';'));
        status = app.exec();
    }
    // A connection given up may still wait in its driver, on its own thread, until its timeout:
    // the window and the settings are gone, so the program ends without waiting for it.
    if (TConnectionAttempt::RunningThreads() > 0) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
