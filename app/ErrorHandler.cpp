#include "app/ErrorHandler.h"

#include "app/WizardDialogs.h"
#include "support/EAbort.h"
#include "support/MessageTexts.h"

void HandleException(const std::exception& error, TWizardDialogs& dialogs) {
    if (dynamic_cast<const EAbort*>(&error)) return;
    const auto* ownError = dynamic_cast<const Exception*>(&error);
    dialogs.ShowError(WithClosingPunctuation(ownError ? ownError->message() : QString::fromUtf8(error.what())));
}

void RunGuarded(TWizardDialogs& dialogs, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        HandleException(error, dialogs);
    }
}

TWizardApplication::TWizardApplication(int& argc, char** argv, TWizardDialogs& dialogs)
    : QApplication(argc, argv), Dialogs(dialogs) {}

bool TWizardApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        HandleException(error, Dialogs);
    }
    return false;
}
