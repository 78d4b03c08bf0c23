#include "cli/CliRun.h"

#include "cli/Console.h"
#include "cli/Interrupt.h"
#include "cli/KeyMapFile.h"
#include "cli/OutputFile.h"
#include "cli/Passwords.h"
#include "cli/RunSummary.h"
#include "cli/TerminalFrontEnd.h"
#include "cli/TitleSelection.h"
#include "copier/CopierLog.h"
#include "db/Backend.h"
#include "db/BackendRegistry.h"
#include "db/ConnectionString.h"
#include "db/DatabaseName.h"
#include "db/ImportDBModule.h"
#include "support/EAbort.h"
#include "support/MessageTexts.h"
#include "support/Log.h"
#include "titles/ImportRun.h"
#include "titles/TitlePreparation.h"

#include <QFile>
#include <QFileInfo>
#include <optional>

namespace {

// A connection or a title list that the runner cannot work with; exit status 2.
class ESourceUnusable : public Exception {
public:
    using Exception::Exception;
};

// Whether the string names its database (a file or a server's database); a server would
// otherwise take a database of its own choosing (PostgreSQL: the user's name) and answer for it.
bool NamesDatabase(const QString& connectionString) {
    try {
        const TConnectionParams params = ParseConnectionString(connectionString);
        // Without a provider the opening says how the string was read, which says more.
        if (!params.Has(QStringLiteral("Provider"))) return true;
        return !BackendOf(params).DataLinkFields(params).Database.trimmed().isEmpty();
    } catch (const Exception&) {
        return true;  // the opening says what is wrong with the string
    }
}

void OpenConnection(TADOConnection& connection, const QString& connectionString, int timeout, const QString& role) {
    if (!NamesDatabase(connectionString))
        throw ESourceUnusable(QStringLiteral("cannot open the %1 connection: Не задано имя базы данных.").arg(role));
    connection.Close();
    connection.ConnectionString = connectionString;
    connection.CommandTimeout = timeout;
    try {
        connection.Open();
    } catch (const Exception& error) {
        // The database named, so that the user knows which of the two did not open.
        const QString name = DatabaseName(connectionString);
        throw ESourceUnusable(QStringLiteral("cannot open the %1 connection%2: %3")
                                  .arg(role, name.isEmpty() ? QString() : QStringLiteral(" \"%1\"").arg(name),
                                       error.message()));
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
    // A device or a pipe is not opened here: a pipe without a reader would wait for one.
    const QFileInfo info(path);
    if (info.isDir())
        throw EUsageError(QStringLiteral("--log: cannot write the diagnostic log \"%1\": it is a folder").arg(path));
    if (info.exists() && !info.isFile()) {
        if (!info.isWritable())
            throw EUsageError(QStringLiteral("--log: cannot write the diagnostic log \"%1\": permission denied").arg(path));
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw EUsageError(QStringLiteral("--log: cannot write the diagnostic log \"%1\": %2").arg(path, file.errorString()));
}

// The connection string with its password from where the options say; a password written
// into the string itself works but is visible to every user of the machine, which is said.
QString ConnectionWithPassword(const QString& connectionString, const TPasswordOrigin& origin, const QString& role,
                               const QString& option, TConsole& console) {
    const QString result = WithPassword(connectionString, origin, role, option);
    if (result == connectionString && HoldsPassword(connectionString))
        console.ErrText(QStringLiteral("road-import: warning: the password in %1 can be read by other users of this "
                                       "machine (process list, shell history); %1-password-env or %1-password-file "
                                       "keeps it off the command line")
                            .arg(option));
    return result;
}

// Where the steps of the run can be read, after what the run said: "<said>; <where>".
QString WhereTheLogIs(const QString& said) {
    const QString log = CurrentLogFileName();
    if (QFile::exists(log) && LogSwitchOffReason().isEmpty())
        return said + QStringLiteral("; the cause is in the diagnostic log %1").arg(QFileInfo(log).absoluteFilePath());
    return said + QStringLiteral("; the diagnostic log %1 could not be written (see --log)").arg(log);
}

// The memo of a failed run ends in "Ошибка импорта" alone; the cause went to the diagnostic log.
void ReportFailedRun(TConsole& console) {
    console.ErrText(WhereTheLogIs(QStringLiteral("road-import: the import failed and nothing was saved")));
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

// The titles the run was for: those still ticked once the preparation has dealt with the
// duplicates.
void CollectRunTitles(const TTerminalFrontEnd& frontEnd, TRunSummary& summary) {
    summary.Titles.clear();
    for (int i = 0; i < frontEnd.ItemCount(); ++i)
        if (frontEnd.ItemChecked(i)) summary.Titles.append(TRunTitle{frontEnd.ItemCaption(i), frontEnd.ItemSubItem(i)});
}

TRunOutcome UnsavedOutcome(const TTerminalFrontEnd& frontEnd) {
    if (frontEnd.StopWasAsked()) return TRunOutcome::Stopped;
    if (frontEnd.SaveWasDeclined()) return TRunOutcome::Declined;
    return TRunOutcome::Failed;
}

int RunImport(const TCliOptions& options, TTerminalFrontEnd& frontEnd, TImportDBModule& module, TConsole& console,
              TRunSummary& summary) {
    if (options.AllTitles) TickAllTitles(frontEnd);
    else TickTitleCodes(frontEnd, options.TitleCodes);

    // Nothing has been changed yet: an interrupt so far simply ends the program.
    if (InterruptRequested()) {
        console.ErrText(QStringLiteral("road-import: interrupted before the import began; nothing was changed"));
        summary.Outcome = TRunOutcome::Stopped;
        return esNotSaved;
    }

    TImportPlan plan;
    struct TAskerScope {
        explicit TAskerScope(TQuestionAsker* asker) { SetQuestionAsker(asker); }
        ~TAskerScope() { SetQuestionAsker(nullptr); }
    } askerScope(&frontEnd);
    struct TTitlesAtEnd {
        const TTerminalFrontEnd& FrontEnd;
        TRunSummary& Summary;
        ~TTitlesAtEnd() { CollectRunTitles(FrontEnd, Summary); }
    } titlesAtEnd{frontEnd, summary};
    try {
        const int failuresBefore = RowFailuresReported();
        const int result =
            RunTitleImport(frontEnd, plan, module.ADOConnectionSource, module.ADOConnectionDest, &summary.Counts);
        if (result >= 0) {
            summary.Outcome = TRunOutcome::Saved;
            const int refused = RowFailuresReported() - failuresBefore;
            if (refused == 0) return esSaved;
            ReportRefusedRows(console, refused);
            return esSavedWithRefusedRows;
        }
        summary.Outcome = UnsavedOutcome(frontEnd);
        if (!frontEnd.UnsavedByAnswer()) ReportFailedRun(console);
        return esNotSaved;
    } catch (const EAbort&) {
        summary.Outcome = TRunOutcome::Refused;
        return esRefused;
    } catch (const Exception& error) {
        // A database error of the preparation: the window shows it in an error box.
        summary.Outcome = TRunOutcome::Failed;
        console.ClearProgress();
        console.ErrText(QStringLiteral("Ошибка: ") + WithClosingPunctuation(error.message()));
        console.ErrText(WhereTheLogIs(QStringLiteral("road-import: the import ended")));
        return esNotSaved;
    }
}

// The summary goes out once the run has ended, whatever the end was. One that cannot be
// written turns a clean save's status into its own; any other end keeps its status.
int WithSummaryWritten(const TCliOptions& options, const TRunSummary& summary, TConsole& console, int status) {
    if (options.Mode != TCliMode::Import || options.SummaryFile.isEmpty()) return status;
    const QString failure = WriteRunSummary(options.SummaryFile, summary);
    if (failure.isEmpty()) return status;
    console.ErrText(QStringLiteral("road-import: cannot write the summary \"%1\": %2").arg(options.SummaryFile, failure));
    return status == esSaved ? esReportNotWritten : status;
}

// The key map is put in place once the run has ended, whatever the end. One that cannot be
// written turns a clean save's status into its own; any other end keeps its status.
int WithKeyMapWritten(const TCliOptions& options, std::optional<TKeyMapFile>& keyMap, TConsole& console, int status) {
    if (!keyMap) return status;
    const QString failure = keyMap->Finish();
    if (failure.isEmpty()) return status;
    console.ErrText(QStringLiteral("road-import: cannot write the key map \"%1\": %2").arg(options.KeyMapFile, failure));
    return status == esSaved ? esReportNotWritten : status;
}

}  // namespace

int RunCommandLine(const TCliOptions& options, TConsole& console) {
    LogLevel = 1;
    // A log that stops being writable (a full disk) switches off; the user hears of it once.
    struct TLogNoticeScope {
        explicit TLogNoticeScope(TConsole& console) {
            SetLogSwitchOffNotice([&console](const QString& file, const QString& reason) {
                console.ClearProgress();
                console.ErrText(QStringLiteral("road-import: warning: the diagnostic log \"%1\" cannot be written "
                                               "(%2); logging is switched off")
                                    .arg(file, reason));
            });
        }
        ~TLogNoticeScope() { SetLogSwitchOffNotice(nullptr); }
    } logNotice(console);
    if (!options.LogFile.isEmpty()) {
        CheckLogFileWritable(options.LogFile);
        LogFileName = options.LogFile;
    }
    if (!options.SummaryFile.isEmpty()) CheckSummaryFileWritable(options.SummaryFile);
    if (!options.KeyMapFile.isEmpty()) CheckOutputFileWritable(QStringLiteral("--key-map"), options.KeyMapFile);
    const QString source = ConnectionWithPassword(options.Source, options.SourcePassword, QStringLiteral("source"),
                                                  QStringLiteral("--source"), console);
    const QString dest = options.Mode == TCliMode::Import
                             ? ConnectionWithPassword(options.Dest, options.DestPassword, QStringLiteral("destination"),
                                                      QStringLiteral("--dest"), console)
                             : QString();
    if (options.Mode == TCliMode::Import) InstallInterruptHandlers();

    TImportDBModule& module = *ImportDBModule;
    TTerminalFrontEnd frontEnd(console, TRunAnswers{options.Save, options.IgnoreDuplicates});
    TRunSummary summary;
    // Opened only now: every usage error has been raised, so an existing file is never
    // touched by a run that does not happen.
    std::optional<TKeyMapFile> keyMap;
    if (options.Mode == TCliMode::Import && !options.KeyMapFile.isEmpty()) keyMap.emplace(options.KeyMapFile);
    summary.Counts.RowHandled = [&summary, &keyMap](const TRowRecord& row) {
        summary.NoteRow(row);
        if (keyMap) keyMap->AddRow(row);
    };
    try {
        OpenConnection(module.ADOConnectionSource, source, options.Timeout, QStringLiteral("source"));
        if (options.Mode == TCliMode::Import)
            OpenConnection(module.ADOConnectionDest, dest, options.Timeout, QStringLiteral("destination"));
        FillTitleList(frontEnd, module.SourceQuery);
    } catch (const ESourceUnusable& error) {
        console.ErrText(QStringLiteral("road-import: ") + error.message());
        return WithKeyMapWritten(options, keyMap, console, WithSummaryWritten(options, summary, console, esUsage));
    }

    if (options.Mode == TCliMode::ListTitles) {
        PrintTitleList(frontEnd, console);
        return esSaved;
    }
    const int status = RunImport(options, frontEnd, module, console, summary);
    return WithKeyMapWritten(options, keyMap, console, WithSummaryWritten(options, summary, console, status));
}
