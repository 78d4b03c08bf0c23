#include "support/Log.h"

#include "support/LogFile.h"
#include "support/LogFileChoice.h"
#include "support/LogLines.h"

#include <QByteArray>

#include <atomic>
#include <cstdio>
#include <exception>
#include <mutex>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

std::uint8_t LogLevel = 0;
QString LogFileName;

namespace {

// What the module remembers between calls. Allocated once and never freed, so that a
// message logged while the process shuts down still finds it.
struct TLogState {
    std::mutex Lock;
    std::atomic<bool> FileDisabled{false};
    TRepeatState Repeats;
    // The file beside the executable is not to be written (an installed program, or one
    // whose folder cannot be written): the state folder's is used.
    bool BesideRuledOut = false;
    // The file the last line went to, and the LogFileName it was chosen under: asking the file
    // system again for every line costs more than writing it, and a write that fails chooses anew.
    QString Chosen;
    QString ChosenUnder;
    bool HaveChosen = false;
    // Why file logging ended, and who is to hear of it when it does.
    QString SwitchOffReason;
    TLogSwitchOffNotice SwitchOffNotice;
};

TLogState& State() {
    static TLogState* state = new TLogState;
    return *state;
}

// The debugger output channel: OutputDebugString on Windows; elsewhere standard error, and
// only when ROAD_IMPORT_DEBUG_LOG is set, so that a console user is not flooded.
void SendToDebugger(const QString& message) {
#ifdef Q_OS_WIN
    OutputDebugStringW(reinterpret_cast<const wchar_t*>(message.utf16()));
#else
    if (qEnvironmentVariableIsEmpty("ROAD_IMPORT_DEBUG_LOG")) return;
    const QByteArray line = message.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
#endif
}

void WriteToFile(TLogState& state, const QString& fileName, const QByteArray& message) {
    WithLogFile(fileName, [&](TLogFile& file) { WriteLogLine(state.Repeats, file, fileName, message); });
}

// Writes the message into the chosen file. The default file failing where it looked
// writable hands over to the state folder's, once; any other failure throws. fileName
// receives the file tried last (empty when none can be named). Called under the lock.
void WriteToChosenFile(TLogState& state, const QByteArray& message, QString& fileName) {
    if (!state.HaveChosen || state.ChosenUnder != LogFileName) {
        state.Chosen = ChooseLogFile(state.BesideRuledOut);
        state.ChosenUnder = LogFileName;
        state.HaveChosen = true;
    }
    fileName = state.Chosen;
    if (fileName.isEmpty()) return;  // no executable path to name the file after
    try {
        WriteToFile(state, fileName, message);
    } catch (...) {
        state.HaveChosen = false;
        if (!LogFileName.isEmpty() || state.BesideRuledOut) throw;
        state.BesideRuledOut = true;
        fileName = ChooseLogFile(state.BesideRuledOut);
        WriteToFile(state, fileName, message);
    }
}

// File logging ends for good: the reason is kept, and the notice (if any) is handed back to
// be called once the lock is released.
TLogSwitchOffNotice SwitchFileOff(TLogState& state, const QString& reason) {
    state.FileDisabled.store(true);
    state.SwitchOffReason = reason;
    return state.SwitchOffNotice;
}

}  // namespace

void WriteLog(const QString& message, std::uint8_t level) {
    if (level > LogLevel) return;
    try {
        SendToDebugger(message);
        TLogState& state = State();
        if (state.FileDisabled.load()) return;
        TLogSwitchOffNotice notice;
        QString fileName;
        QString reason;
        {
            std::lock_guard<std::mutex> guard(state.Lock);
            try {
                WriteToChosenFile(state, message.toUtf8(), fileName);
                return;
            } catch (const std::exception& error) {
                reason = QString::fromLocal8Bit(error.what());
            } catch (...) {
                reason = QStringLiteral("unknown error");
            }
            notice = SwitchFileOff(state, reason);
        }
        if (notice) notice(fileName, reason);
    } catch (...) {
        // logging never disturbs its caller
    }
}

QString LogSwitchOffReason() {
    TLogState& state = State();
    std::lock_guard<std::mutex> guard(state.Lock);
    return state.SwitchOffReason;
}

void SetLogSwitchOffNotice(TLogSwitchOffNotice notice) {
    TLogState& state = State();
    std::lock_guard<std::mutex> guard(state.Lock);
    state.SwitchOffNotice = std::move(notice);
}

void ResetLogState() {
    TLogState& state = State();
    std::lock_guard<std::mutex> guard(state.Lock);
    state.FileDisabled.store(false);
    state.SwitchOffReason.clear();
    state.Repeats = TRepeatState();
    state.BesideRuledOut = false;
    state.HaveChosen = false;
}

QString CurrentLogFileName() {
    TLogState& state = State();
    std::lock_guard<std::mutex> guard(state.Lock);
    return ChooseLogFile(state.BesideRuledOut);
}
