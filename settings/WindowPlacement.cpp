#include "settings/WindowPlacement.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QRegularExpression>
#include <QScreen>
#include <QWidget>

namespace {

QRect ToQRect(const TPlacementRect& r) { return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }

TPlacementRect FromQRect(const QRect& r) { return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }

QRect DesktopRect() {
    QRect all;
    for (const QScreen* screen : QGuiApplication::screens()) all |= screen->geometry();
    return all;
}

QRect WorkAreaRect() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? primary->availableGeometry() : QRect();
}

// The program's main window: the window's own parent window, else the first visible main
// window of the application; none when the window is the only one.
const QWidget* MainWindow(const QWidget* window) {
    if (const QWidget* parent = window->parentWidget()) return parent->window();
    for (const QWidget* top : QApplication::topLevelWidgets())
        if (top != window && top->isVisible() && qobject_cast<const QMainWindow*>(top)) return top;
    return nullptr;
}

QRect ReferenceRect(int area, const QWidget* window) {
    switch (area) {
        case 0:
            if (const QWidget* main = MainWindow(window)) return main->frameGeometry();
            return DesktopRect();
        case 1:
            if (const QWidget* active = QApplication::activeWindow(); active && active != window)
                return active->frameGeometry();
            if (const QWidget* main = MainWindow(window)) return main->frameGeometry();
            return DesktopRect();
        case 2:
            return DesktopRect();
        default:
            return WorkAreaRect();
    }
}

enum class TAlign { Start, Centre, End };

// Horizontal and vertical alignment of the nine anchors, in TDefaultWindowPos order.
struct TAnchor {
    TAlign Horizontal, Vertical;
};
constexpr TAnchor Anchors[9] = {
    {TAlign::Centre, TAlign::Centre}, {TAlign::Start, TAlign::Centre}, {TAlign::Start, TAlign::Start},
    {TAlign::Start, TAlign::End},     {TAlign::Centre, TAlign::Start}, {TAlign::End, TAlign::Centre},
    {TAlign::End, TAlign::Start},     {TAlign::End, TAlign::End},      {TAlign::Centre, TAlign::End}};

int Aligned(TAlign align, int start, int end, int size) {
    switch (align) {
        case TAlign::Start: return start;
        case TAlign::End: return end - size;
        default: return (start + end - size) / 2;
    }
}

}  // namespace

TWindowPlacement GetWindowPlacement(const QWidget* window) {
    TWindowPlacement placement;
    const Qt::WindowStates state = window->windowState();
    if (state & Qt::WindowMinimized) {
        placement.ShowCmd = 2;
        if (state & Qt::WindowMaximized) placement.Flags |= WPF_RESTORETOMAXIMIZED;
    } else if (state & Qt::WindowMaximized) {
        placement.ShowCmd = 3;
    }
    QRect normal = window->normalGeometry();
    if (normal.isEmpty()) normal = window->geometry();
    placement.Normal = FromQRect(normal);
    return placement;
}

void SetWindowPlacement(QWidget* window, const TPlacementRect& normal) { window->setGeometry(ToQRect(normal)); }

QString FormatPlacementWords(int a, int b, int c, int d) {
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

QList<int> PlacementWords(const QString& text) {
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    const QStringList words = text.split(separators, Qt::SkipEmptyParts);
    QList<int> result;
    for (int i = 0; i < 4; ++i) result.append(i < words.size() ? words[i].toInt() : 0);
    return result;
}

bool IsSizeable(const QWidget* window) {
    if (window->windowFlags() & (Qt::FramelessWindowHint | Qt::MSWindowsFixedSizeDialogHint)) return false;
    return window->minimumSize() != window->maximumSize();
}

bool IsOnSomeScreen(const TPlacementRect& rect) {
    const QRect r = ToQRect(rect);
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(r)) return true;
    return false;
}

TPlacementRect DefaultWindowRect(int defaultWindowPos, const QWidget* window) {
    const QRect reference = ReferenceRect(defaultWindowPos / 9, window);
    const TAnchor anchor = Anchors[defaultWindowPos % 9];
    const int width = window->width();
    const int height = window->height();
    const int x = Aligned(anchor.Horizontal, reference.x(), reference.x() + reference.width(), width);
    const int y = Aligned(anchor.Vertical, reference.y(), reference.y() + reference.height(), height);
    return {x, y, x + width, y + height};
}
