// Qt's own texts in the window's language once its translation is installed.

#include "app/QtTranslation.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTranslator>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The texts of the file chooser behind "...", and of a text field's context menu.
QStringList QtTexts() {
    QFileDialog chooser;
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setFileMode(QFileDialog::ExistingFile);
    auto* buttons = chooser.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    QLineEdit field;
    std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    return {chooser.findChild<QLabel*>(QStringLiteral("lookInLabel"))->text(),
            chooser.findChild<QLabel*>(QStringLiteral("fileNameLabel"))->text(),
            buttons->button(QDialogButtonBox::Open)->text(),
            buttons->button(QDialogButtonBox::Cancel)->text(),
            menu->actions().first()->text()};
}

}  // namespace

TEST(QtTranslation, FileChooserButtonsAndContextMenusSpeakRussian) {
    const QRegularExpression cyrillic(QStringLiteral("\\p{Cyrillic}"));
    const QStringList english = QtTexts();
    ASSERT_EQ(english, (QStringList{QStringLiteral("Look in:"), QStringLiteral("File &name:"), QStringLiteral("&Open"),
                                    QStringLiteral("Cancel"), QStringLiteral("&Undo\tCtrl+Z")}));

    QTranslator* translator = InstallQtTranslation();
    ASSERT_NE(translator, nullptr);
    const QStringList russian = QtTexts();
    QCoreApplication::removeTranslator(translator);
    delete translator;
    for (int i = 0; i < english.size(); ++i)
        EXPECT_TRUE(russian[i].contains(cyrillic)) << english[i].toStdString() << " -> " << russian[i].toStdString();
}
