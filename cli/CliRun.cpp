#include "cli/CliRun.h"

#include "cli/Console.h"
#include "cli/Interrupt.h"
#include "cli/TerminalFrontEnd.h"
#include "cli/TitleSelection.h"
#include "copier/CopierLog.h"
#include "db/ImportDBModule.h"
#include "support/EAbort.h"
#include "support/Log.h"
#include "titles/ImportRun.h"
#include "titles/TitlePreparation.h"

#include <QFile>
#include <QFileInfo>

namespace {

// A connection or a title list that the runner cannot work with; exit status 2.
class ESourceUnusable : public Exception {
public:
    using Exception::Exception;
};

void OpenConnection(TADOConnection& connection, const QString& connectionString, int timeout, const QString& role) {
    connection.Close();
    connection.ConnectionString = connectionString;
    connection.CommandTimeout = timeout;
    try {
        connection.Open();
    } catch (const Exception& error) {
        throw ESourceUnusable(QStringLiteral("cannot open the %1 connection: %2").arg(role, error.message()));
    }
    if (!connection.Connected())
        throw ESourceUnusable(QStringLiteral("cannot open the %1 connection").arg(role));
}

// The title list as the window fills it on leaving the destination page.
void FillTitleList(TTerminalFrontEnd& frontEnd, TADOQuery& sourceQuery) {
    const int messagesBefore = frontEnd.MessagesShown();
    FillListFromTable(QStringLiteral("Титул"), frontEnd, QStringLiteral("Код_титула, Наименование"), false, QString(),
                      QString(), sourceQuery);
    if (frontEnd.MessagesShown() != messagesBefore)
        throw ESourceUnusable(QStringLiteral("the source's title list cannot be read"));
}

// A log file the user named must be writable: the log itself would switch off silently.
void CheckLogFileWritable(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw EUsageError(QStringLiteral("--log: cannot write the diagnostic log \"%1\": %2").arg(path, file.errorString()));
}

// The memo of a failed run ends in "Ошибка импорта" alone; the cause went to the diagnostic log.
void ReportFailedRun(TConsole& console) {
    const QString log = CurrentLogFileName();
    console.ErrText(QFile::exists(log)
                        ? QStringLiteral("road-import: the import failed and nothing was saved; the cause is in the "
                                         "diagnostic log %1").arg(QFileInfo(log).absoluteFilePath())
                        : QStringLiteral("road-import: the import failed and nothing was saved; the diagnostic log "
                                         "%1 could not be written (see --log)").arg(log));
}

// The memo says "Импорт прошел успешно!" all the same; a script learns it from the exit status.
void ReportRefusedRows(TConsole& console, int refused) {
    console.ClearProgress();
    console.ErrText(QStringLiteral("road-import: the import was saved, but %1 row(s) failed and were not copied; "
                                   "the memo names each one").arg(refused));
}

void PrintTitleList(const TTerminalFrontEnd& frontEnd, TConsole& console) {
    for (int i = 0; i < frontEnd.ItemCount(); ++i)
        console.OutLine(frontEnd.ItemCaption(i) + QLatin1Char('\t') + frontEnd.ItemSubItem(i));
}

int RunImport(const TCliOptions& options, TTerminalFrontEnd& frontEnd, TImportDBModule& module, TConsole& console) {
    if (options.AllTitles) TickAllTitles(frontEnd);
    else TickTitleCodes(frontEnd, options.TitleCodes);

    // Nothing has been changed yet: an interrupt so far simply ends the program.
    if (InterruptRequested()) {
        console.ErrText(QStringLiteral("road-import: interrupted before the import began; nothing was changed"));
        return esNotSaved;
    }

    TImportPlan plan;
    struct TAskerScope {
        explicit TAskerScope(TQuestionAsker* asker) { SetQuestionAsker(asker); }
        ~TAskerScope() { SetQuestionAsker(nullptr); }
    } askerScope(&frontEnd);
    try {
        const int failuresBefore = RowFailuresReported();
        const int result = RunTitleImport(frontEnd, plan, module.ADOConnectionSource, module.ADOConnectionDest);
        if (result >= 0) {
            const int refused = RowFailuresReported() - failuresBefore;
            if (refused == 0) return esSaved;
            ReportRefusedRows(console, refused);
            return esSavedWithRefusedRows;
        }
        if (!frontEnd.UnsavedByAnswer()) ReportFailedRun(console);
        return esNotSaved;
    } catch (const EAbort&) {
        return esRefused;
    } catch (const Exception& error) {
        // A database error of the preparation: the window shows it in an error box.
        console.ClearProgress();
        console.ErrText(QStringLiteral("Ошибка: ") + WithClosingPunctuation(error.message()));
        return esNotSaved;
    }
}

}  // namespace

QString WithClosingPunctuation(const QString& message) {
    static const QString closing = QStringLiteral(".!?:;,\u2026");
    if (!message.isEmpty() && closing.contains(message.back())) return message;
    return message + QLatin1Char('.');
}

int RunCommandLine(const TCliOptions& options, TConsole& console) {
    LogLevel = 1;
    if (!options.LogFile.isEmpty()) {
        CheckLogFileWritable(options.LogFile);
        LogFileName = options.LogFile;
    }
    if (options.Mode == TCliMode::Import) InstallInterruptHandlers();

    TImportDBModule& module = *ImportDBModule;
    TTerminalFrontEnd frontEnd(console, TRunAnswers{options.Save, options.IgnoreDuplicates});
    try {
        OpenConnection(module.ADOConnectionSource, options.Source, options.Timeout, QStringLiteral("source"));
        if (options.Mode == TCliMode::Import)
            OpenConnection(module.ADOConnectionDest, options.Dest, options.Timeout, QStringLiteral("destination"));
        FillTitleList(frontEnd, module.SourceQuery);
    } catch (const ESourceUnusable& error) {
        console.ErrText(QStringLiteral("road-import: ") + error.message());
        return esUsage;
    }

    if (options.Mode == TCliMode::ListTitles) {
        PrintTitleList(frontEnd, console);
        return esSaved;
    }
    return RunImport(options, frontEnd, module, console);
}
