#pragma once
// What the title preparation needs of the front end that drives it: the title list
// (ListView1 in the window: caption = Код_титула, first sub-item = Наименование, a check
// box), the standard message box, and the switch back to the title page. The window, the
// headless runner and the tests implement it.

#include "support/MessageKinds.h"

#include <QString>
#include <QStringList>

class TTitleFrontEnd {
public:
    virtual ~TTitleFrontEnd() = default;

    // The title list.
    virtual int ItemCount() const = 0;
    virtual QString ItemCaption(int index) const = 0;
    virtual QString ItemSubItem(int index) const = 0;  // the first sub-item: the title's name
    virtual bool ItemChecked(int index) const = 0;
    virtual void SetItemChecked(int index, bool checked) = 0;
    virtual void ClearItems() = 0;
    // Appends an unticked item with a caption and its sub-items, left to right.
    virtual void AddItem(const QString& caption, const QStringList& subItems) = 0;

    // Repainting of the list suspended while it is refilled, and resumed; a front end
    // without a display need not do anything.
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}

    // The standard message box; returns the button pressed (TModalResult).
    virtual int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) = 0;

    // Notebook1 back to the title page (index 2).
    virtual void ShowTitlePage() = 0;
};
