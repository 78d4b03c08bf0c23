#pragma once
// Every modal dialog the window shows goes through this interface: the standard message
// box, the copier's centred question, the default error handler's box and the data-link
// dialog. The program uses the real dialogs (TStandardDialogs); the tests answer from a script.

#include "support/MessageKinds.h"

#include <QString>

class QMessageBox;
class QWidget;

class TWizardDialogs {
public:
    virtual ~TWizardDialogs() = default;
    // The standard message dialog; returns the button pressed (TModalResult).
    virtual int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) = 0;
    // The copier's question: centred on the screen, Escape presses no button.
    virtual int ShowCenteredMessage(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) = 0;
    // The default error handler's box: the application's title, one OK button.
    virtual void ShowError(const QString& text) = 0;
    // The data-link dialog over a connection string: the edited string on OK, the initial
    // one on Cancel.
    virtual QString PromptDataSource(const QString& initialString) = 0;
};

class TStandardDialogs : public TWizardDialogs {
public:
    int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    int ShowCenteredMessage(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    void ShowError(const QString& text) override;
    QString PromptDataSource(const QString& initialString) override;
};

// The window's caption, which is also the application's title.
QString ApplicationTitle();

// The standard dialog for a message: the conventions' title for the kind, the buttons with
// their captions (Yes "&Да", No "&Нет", OK, "Отмена", "&Игнорировать", ...) in the standard
// order, OK or else Yes as the default button. Each button's TModalResult is its "modalResult"
// property.
QMessageBox* CreateMessageDialog(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons,
                                 QWidget* parent = nullptr);
// Takes the cancel role from every button: Escape and the close box then press none.
void ClearCancelButtons(QMessageBox& box);
// Shows a dialog made by CreateMessageDialog modally; returns the pressed button's result.
int ExecMessageDialog(QMessageBox& box);
// Places a window at the centre of the screen it is on.
void CenterOnScreen(QWidget& window);
