// road-import: the import wizard's run without a window, for scripts and end-to-end tests.

#include "cli/CliHelp.h"
#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "cli/Console.h"
#include "db/ImportDBModule.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The data module comes first, as in the window's start-up.
    TImportDBModule module;
    TConsole console;

    TCliOptions options;
    try {
        options = ParseCliArguments(app.arguments().mid(1));
        if (options.Mode == TCliMode::Help) {
            console.OutLine(CliHelpText().trimmed());
            return esSaved;
        }
        return RunCommandLine(options, console);
    } catch (const EUsageError& error) {
        console.ErrText(QStringLiteral("road-import: ") + error.message() +
                        QStringLiteral("\nTry 'road-import --help' for more information."));
        return esUsage;
    } catch (const std::exception& error) {
        console.ErrText(QStringLiteral("road-import: ") + QString::fromUtf8(error.what()));
        return esNotSaved;
    }
}
