// wizard-screenshots: opens the real window on two SQLite files, walks its four pages as a
// user would (the log page after a real, committed run) and writes one PNG per page, one of
// the data-link dialog and one of the file chooser behind its "..."; then, against a server
// that takes the connection and never answers, the window while it connects, the page after
// Escape gave the wait up, and the error box once the connection's timeout has run out.
// Usage: wizard-screenshots SOURCE.db DEST.db OUTPUT-DIR   (under an X server, e.g. Xvfb)

#include "app/DBConnectFrame.h"
#include "common/SilentServer.h"
#include "app/DataLinkDialog.h"
#include "app/ErrorHandler.h"
#include "app/PathraImportForm.h"
#include "app/QtTranslation.h"
#include "app/WizardDialogs.h"
#include "db/ImportDBModule.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTimer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>

namespace {

bool Shoot(QWidget& window, const QString& path);

// The real boxes, but the run's questions answered Yes and errors printed, so that nothing
// waits for a person.
class TUnattendedDialogs : public TStandardDialogs {
public:
    int MessageDlg(const QString& text, TMsgDlgType, TMsgDlgButtons) override {
        Report(text);
        return mrOk;
    }
    int ShowCenteredMessage(const QString& text, TMsgDlgType, TMsgDlgButtons) override {
        Report(text + QStringLiteral(" -> Да"));
        return mrYes;
    }
    void ShowError(const QString& text) override {
        Report(QStringLiteral("error: ") + text);
        if (ErrorPicture.isEmpty()) {
            Failed = true;
            return;
        }
        // The real box, pictured and closed from the event loop it runs.
        QTimer::singleShot(500, [this] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                ErrorShot = Shoot(*box, ErrorPicture);
                box->close();
            }
        });
        TStandardDialogs::ShowError(text);
        ErrorPicture.clear();
    }
    bool Failed = false;
    // Where the next error box is pictured; empty: an error is a failure of the walk.
    QString ErrorPicture;
    bool ErrorShot = false;

private:
    static void Report(const QString& text) { std::fprintf(stderr, "%s\n", text.toUtf8().constData()); }
};

bool Shoot(QWidget& window, const QString& path) {
    QTest::qWait(300);
    const QPixmap picture = window.screen()->grabWindow(window.winId());
    if (!picture.save(path)) return false;
    std::printf("%s\n", path.toUtf8().constData());
    return true;
}

// The forward press's connection has opened or failed.
void WaitForConnection(const TPathraImportForm& form, int seconds = 10) {
    for (QDeadlineTimer deadline(seconds * 1000); form.ConnectionPending() && !deadline.hasExpired();) QTest::qWait(20);
}

// A source that never answers: the window while it waits, after Escape, and the error box
// once the timeout has run out.
bool ShootSilentServer(TPathraImportForm& form, TUnattendedDialogs& dialogs, const QString& dir) {
    TSilentServer silent;
    form.DBConnectFrame1->ReadConnectionString(
        QStringLiteral("Provider=SQLOLEDB.1;Data Source=127.0.0.1,%1;Initial Catalog=Дороги;Integrated Security=SSPI;")
            .arg(silent.Port()));
    // Escape reaches the window that is in front.
    form.activateWindow();
    if (!QTest::qWaitForWindowActive(&form)) return false;
    auto* next = form.findChild<QPushButton*>(QStringLiteral("Button2"));
    QTest::mouseClick(next, Qt::LeftButton);
    QTest::qWait(700);
    bool ok = form.ConnectionPending() && Shoot(form, dir + QStringLiteral("7-connecting.png"));
    QTest::keyClick(&form, Qt::Key_Escape);
    ok = ok && !form.ConnectionPending() && Shoot(form, dir + QStringLiteral("8-connecting-given-up.png"));
    dialogs.ErrorPicture = dir + QStringLiteral("9-connection-timed-out.png");
    QTest::mouseClick(next, Qt::LeftButton);
    WaitForConnection(form, 60);
    return ok && dialogs.ErrorShot;
}

}  // namespace

int main(int argc, char** argv) {
    TUnattendedDialogs dialogs;
    TWizardApplication app(argc, argv, dialogs);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: wizard-screenshots SOURCE.db DEST.db OUTPUT-DIR\n");
        return 2;
    }
    app.setFont(WizardFont());
    InstallQtTranslation();
    QDir().mkpath(args[3]);
    TImportDBModule module;
    TPathraImportForm form(module, dialogs);
    // Filled after the show, as the program does, so that the saved settings restored there
    // do not take the files' place.
    form.show();
    form.DBConnectFrame1->ReadConnectionString(QStringLiteral("Provider=SQLite;Location=") + args[1] + QLatin1Char(';'));
    form.DBConnectFrame2->ReadConnectionString(QStringLiteral("Provider=SQLite;Location=") + args[2] + QLatin1Char(';'));
    if (!QTest::qWaitForWindowExposed(&form)) return 1;

    auto* next = form.findChild<QPushButton*>(QStringLiteral("Button2"));
    const QString dir = args[3] + QLatin1Char('/');
    bool ok = Shoot(form, dir + QStringLiteral("1-source.png"));
    QTest::mouseClick(next, Qt::LeftButton);
    WaitForConnection(form);
    ok = ok && Shoot(form, dir + QStringLiteral("2-destination.png"));
    QTest::mouseClick(next, Qt::LeftButton);
    WaitForConnection(form);
    auto* list = form.findChild<QTreeWidget*>(QStringLiteral("ListView1"));
    for (int i = 0; i < list->topLevelItemCount(); i += 2) form.SetItemChecked(i, true);
    if (list->topLevelItemCount() > 0) list->setCurrentItem(list->topLevelItem(0));
    ok = ok && Shoot(form, dir + QStringLiteral("3-titles.png"));
    QTest::mouseClick(next, Qt::LeftButton);
    ok = ok && Shoot(form, dir + QStringLiteral("4-log.png"));
    // The dialog behind "Мастер подключения...", on the source file, after its test.
    TDataLinkDialog dataLink(form.DBConnectFrame1->BuildConnectionString(1));
    dataLink.setFont(WizardFont());
    dataLink.show();
    dataLink.TestConnection();
    for (QDeadlineTimer deadline(10000); dataLink.TestPending() && !deadline.hasExpired();) QTest::qWait(20);
    ok = ok && QTest::qWaitForWindowExposed(&dataLink) && Shoot(dataLink, dir + QStringLiteral("5-data-link.png"));
    // The chooser is modal: it is pictured and closed from the event loop it runs.
    bool chooserShot = false;
    QTimer::singleShot(500, [&] {
        if (QWidget* chooser = QApplication::activeModalWidget(); chooser && chooser != &dataLink) {
            chooserShot = Shoot(*chooser, dir + QStringLiteral("6-file-chooser.png"));
            chooser->close();
        }
    });
    QTest::mouseClick(dataLink.findChild<QPushButton*>(QStringLiteral("BrowseButton")), Qt::LeftButton);
    ok = ok && chooserShot;
    dataLink.close();
    // Back to the source page: "В начало", then "<< Назад" twice.
    auto* back = form.findChild<QPushButton*>(QStringLiteral("Button3"));
    for (int i = 0; i < 3; ++i) QTest::mouseClick(back, Qt::LeftButton);
    ok = ok && ShootSilentServer(form, dialogs, dir);
    return ok && !dialogs.Failed ? 0 : 1;
}
