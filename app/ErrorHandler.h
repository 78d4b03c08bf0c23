#pragma once
// The application's default error handler: an error that escapes an event handler is shown
// in an error box with an OK button, "." appended when its text does not end in
// punctuation; the silent abort (EAbort) is dropped.

#include <QApplication>
#include <exception>
#include <functional>

class TWizardDialogs;


// Shows the error through the dialogs, unless it is the silent abort.
void HandleException(const std::exception& error, TWizardDialogs& dialogs);

// Runs an event handler; what it raises goes to HandleException.
void RunGuarded(TWizardDialogs& dialogs, const std::function<void()>& handler);

// The program's application object. Handlers of the window are guarded themselves; this
// catches what would otherwise escape the event loop from anywhere else.
class TWizardApplication : public QApplication {
public:
    TWizardApplication(int& argc, char** argv, TWizardDialogs& dialogs);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    TWizardDialogs& Dialogs;
};
