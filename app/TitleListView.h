#pragma once
// The title list's control and operations: a report-style list with check boxes and grid
// lines, the search over one of its columns, and the tool-bar pictures.

#include <QIcon>
#include <QString>

class QTreeWidget;
class QWidget;

// ListView1: check boxes, grid lines, whole-row selection that stays visible without the
// focus, no in-place editing, columns "Код" and "Титул" (380 wide).
QTreeWidget* CreateTitleListView(QWidget* parent);

// Selects (and focuses, and scrolls to) the next item after the selected one whose column
// contains the text, letter case ignored, wrapping from the last item to the first; the
// selected item itself is not visited. Column 0 is the caption, n the n-th sub-item.
void Search(const QString& text, QTreeWidget& list, int column);

// The pictures of "Выделить все", "Снять все выделение" and "Поиск титула".
QIcon TickAllIcon();
QIcon ClearAllIcon();
QIcon SearchIcon();
