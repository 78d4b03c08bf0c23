#pragma once
// The copier's five process-wide callback slots, its stop error, and the one way it asks
// the user a question. The front end fills the slots before a run; every call site tests
// its slot and skips an unset one.

#include "support/Exception.h"
#include "support/MessageKinds.h"

#include <QString>
#include <exception>
#include <functional>

using TTableStartProc = std::function<void(const QString& name, int rows, int tableCount, int tableNumber)>;
using TRowProgressProc = std::function<void(const QString& name, int position)>;
using TFinishProc = std::function<void()>;
using TCheckAbortProc = std::function<void()>;  // raises EAbort to interrupt
using TLogLineProc = std::function<void(const QString& line)>;

extern TTableStartProc OnTableStart;
extern TRowProgressProc OnRowProgress;
extern TFinishProc OnFinish;
extern TCheckAbortProc OnCheckAbort;
extern TLogLineProc OnLogLine;

// Raised by the row copier after the user stopped the run and the transaction was ended.
class TExitException : public Exception {
public:
    explicit TExitException(const QString& message, bool committed = false, std::exception_ptr commitRefusal = nullptr)
        : Exception(message), Committed(committed), CommitRefusal(std::move(commitRefusal)) {}
    // The user chose to keep what was copied, and the commit went through.
    bool Committed;
    // The user chose to keep it, and the destination refused the commit (Transaction.h).
    std::exception_ptr CommitRefusal;
};

// How a front end answers the copier's questions: the window with a centred standard
// dialog that ignores Escape, the headless runner from its flags, the tests from a script.
class TQuestionAsker {
public:
    virtual ~TQuestionAsker() = default;
    virtual int Ask(const QString& message, TMsgDlgType type, TMsgDlgButtons buttons) = 0;
};

// Installs the asker (not owned); nullptr removes it.
void SetQuestionAsker(TQuestionAsker* asker);

// Empties the five slots and removes the asker: what a front end does before it goes away,
// so that nothing calls into it afterwards.
void ClearCallbacks();

// Asks the installed asker and returns the button pressed (a TModalResult). With no asker
// installed nobody can answer, and the answer is No.
int ShowCenteredMessage(const QString& message, TMsgDlgType type, TMsgDlgButtons buttons);
