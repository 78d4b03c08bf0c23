// road-import-wizard: the import wizard's window.

#include "app/DBConnectFrame.h"
#include "app/ErrorHandler.h"
#include "app/PathraImportForm.h"
#include "app/WizardDialogs.h"
#include "app/WizardOptions.h"
#include "db/ImportDBModule.h"

#include <cstdio>

static void PrintError(const QString& text) { std::fputs(text.toUtf8().constData(), stderr); }

int main(int argc, char** argv) {
    TStandardDialogs dialogs;
    TWizardApplication app(argc, argv, dialogs);

    TWizardOptions options;
    try {
        options = ParseWizardArguments(app.arguments().mid(1));
    } catch (const EWizardUsage& error) {
        PrintError(QStringLiteral("road-import-wizard: ") + error.message() + QLatin1Char('\n') + WizardUsageText());
        return 2;
    }
    if (options.Help) {
        std::fputs(WizardUsageText().toUtf8().constData(), stdout);
        return 0;
    }

    app.setFont(WizardFont());
    // The data module exists before the window.
    TImportDBModule module;
    TPathraImportForm form(module, dialogs);
    // A string given here is read as the data-link dialog's answer is: it ends in ";".
    if (!options.Source.isNull()) form.DBConnectFrame1->ReadConnectionString(options.Source + QLatin1Char(';'));
    if (!options.Dest.isNull()) form.DBConnectFrame2->ReadConnectionString(options.Dest + QLatin1Char(';'));
    form.show();
    return app.exec();
}
