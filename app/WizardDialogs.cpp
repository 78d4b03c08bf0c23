#include "app/WizardDialogs.h"

#include "app/DataLinkDialog.h"
#include "support/MessageTexts.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <memory>

namespace {

const char* const ModalResultProperty = "modalResult";
const char* const NoCancelProperty = "noCancelButton";

// A message box whose Escape key and close box can be switched off.
class TMessageDialog : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (property(NoCancelProperty).toBool() && event->matches(QKeySequence::Cancel)) return;
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (property(NoCancelProperty).toBool() && event->spontaneous()) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }
};

QString KindTitle(TMsgDlgType type) {
    const QString title = MessageKindTitle(type);
    return title.isEmpty() ? ApplicationTitle() : title;
}

QMessageBox::Icon KindIcon(TMsgDlgType type) {
    switch (type) {
    case TMsgDlgType::mtError: return QMessageBox::Critical;
    case TMsgDlgType::mtConfirmation: return QMessageBox::Question;
    case TMsgDlgType::mtWarning: return QMessageBox::Warning;
    case TMsgDlgType::mtInformation: return QMessageBox::Information;
    case TMsgDlgType::mtCustom: break;
    }
    return QMessageBox::NoIcon;
}

struct TButtonKind {
    TMsgDlgBtn Button;
    const char* Caption;
    int Result;
    QMessageBox::ButtonRole Role;
};

// The standard order of the buttons and the cancel role: Cancel, else No, else OK.
const TButtonKind ButtonKinds[] = {
    {TMsgDlgBtn::mbYes, "&Да", mrYes, QMessageBox::YesRole},
    {TMsgDlgBtn::mbNo, "&Нет", mrNo, QMessageBox::NoRole},
    {TMsgDlgBtn::mbOK, "OK", mrOk, QMessageBox::AcceptRole},
    {TMsgDlgBtn::mbCancel, "Отмена", mrCancel, QMessageBox::RejectRole},
    {TMsgDlgBtn::mbAbort, "&Прервать", mrAbort, QMessageBox::ActionRole},
    {TMsgDlgBtn::mbRetry, "&Повторить", mrRetry, QMessageBox::ActionRole},
    {TMsgDlgBtn::mbIgnore, "&Игнорировать", mrIgnore, QMessageBox::ActionRole},
};

}  // namespace

QString ApplicationTitle() { return QStringLiteral("Импорт данных OrvaneInfo/Road"); }

QMessageBox* CreateMessageDialog(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, QWidget* parent) {
    auto* box = new TMessageDialog(parent);
    box->setWindowTitle(KindTitle(type));
    box->setIcon(KindIcon(type));
    box->setText(text);
    QPushButton* defaultButton = nullptr;
    for (const TButtonKind& kind : ButtonKinds) {
        if (!buttons.testFlag(kind.Button)) continue;
        QPushButton* button = box->addButton(QString::fromUtf8(kind.Caption), kind.Role);
        button->setProperty(ModalResultProperty, kind.Result);
        if (kind.Button == TMsgDlgBtn::mbCancel || (kind.Button == TMsgDlgBtn::mbNo && !buttons.testFlag(TMsgDlgBtn::mbCancel)) ||
            (kind.Button == TMsgDlgBtn::mbOK && !buttons.testAnyFlags(TMsgDlgBtn::mbCancel | TMsgDlgBtn::mbNo)))
            box->setEscapeButton(button);
        if (kind.Button == TMsgDlgBtn::mbOK || (kind.Button == TMsgDlgBtn::mbYes && !buttons.testFlag(TMsgDlgBtn::mbOK)))
            defaultButton = button;
    }
    if (defaultButton) box->setDefaultButton(defaultButton);
    return box;
}

void ClearCancelButtons(QMessageBox& box) {
    box.setEscapeButton(static_cast<QAbstractButton*>(nullptr));
    box.setProperty(NoCancelProperty, true);
}

int ExecMessageDialog(QMessageBox& box) {
    box.exec();
    QAbstractButton* pressed = box.clickedButton();
    return pressed ? pressed->property(ModalResultProperty).toInt() : mrCancel;
}

void CenterOnScreen(QWidget& window) {
    window.adjustSize();
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

int TStandardDialogs::MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    std::unique_ptr<QMessageBox> box(CreateMessageDialog(text, type, buttons));
    CenterOnScreen(*box);
    return ExecMessageDialog(*box);
}

int TStandardDialogs::ShowCenteredMessage(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    std::unique_ptr<QMessageBox> box(CreateMessageDialog(text, type, buttons));
    ClearCancelButtons(*box);
    CenterOnScreen(*box);
    return ExecMessageDialog(*box);
}

void TStandardDialogs::ShowError(const QString& text) {
    std::unique_ptr<QMessageBox> box(CreateMessageDialog(text, TMsgDlgType::mtError, TMsgDlgBtn::mbOK));
    box->setWindowTitle(ApplicationTitle());
    CenterOnScreen(*box);
    ExecMessageDialog(*box);
}

QString TStandardDialogs::PromptDataSource(const QString& initialString) {
    TDataLinkDialog dialog(initialString);
    return dialog.exec() == QDialog::Accepted ? dialog.ConnectionString() : initialString;
}
