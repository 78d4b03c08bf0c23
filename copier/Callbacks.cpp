#include "copier/Callbacks.h"

TTableStartProc OnTableStart;
TRowProgressProc OnRowProgress;
TFinishProc OnFinish;
TCheckAbortProc OnCheckAbort;
TLogLineProc OnLogLine;

static TQuestionAsker* questionAsker = nullptr;

void SetQuestionAsker(TQuestionAsker* asker) { questionAsker = asker; }

void ClearCallbacks() {
    OnTableStart = nullptr;
    OnRowProgress = nullptr;
    OnFinish = nullptr;
    OnCheckAbort = nullptr;
    OnLogLine = nullptr;
    questionAsker = nullptr;
}

int ShowCenteredMessage(const QString& message, TMsgDlgType type, TMsgDlgButtons buttons) {
    if (!questionAsker) return mrNo;
    return questionAsker->Ask(message, type, buttons);
}
