// wizard-screenshots: opens the real window on two SQLite files, walks its four pages as a
// user would (the log page after a real, committed run) and writes one PNG per page, one of
// the data-link dialog and one of the file chooser behind its "...".
// Usage: wizard-screenshots SOURCE.db DEST.db OUTPUT-DIR   (under an X server, e.g. Xvfb)

#include "app/DBConnectFrame.h"
#include "app/DataLinkDialog.h"
#include "app/ErrorHandler.h"
#include "app/PathraImportForm.h"
#include "app/QtTranslation.h"
#include "app/WizardDialogs.h"
#include "db/ImportDBModule.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>

namespace {

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
    void ShowError(const QString& text) override { Report(QStringLiteral("error: ") + text); Failed = true; }
    bool Failed = false;

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
    ok = ok && Shoot(form, dir + QStringLiteral("2-destination.png"));
    QTest::mouseClick(next, Qt::LeftButton);
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
    return ok && !dialogs.Failed ? 0 : 1;
}
