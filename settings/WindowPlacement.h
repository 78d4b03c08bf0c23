#pragma once
// The window placement of the stored format, over Qt's geometry and window state: the
// placement flags, the show command (1 normal, 2 minimised, 3 maximised), the minimised and
// maximised positions and the normal rectangle as left, top, right, bottom (right and bottom
// exclusive, in screen coordinates).

#include <QList>
#include <QRect>
#include <QString>

class QWidget;

struct TPlacementRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

struct TWindowPlacement {
    int Flags = 0;
    int ShowCmd = 1;
    int MinX = -1, MinY = -1, MaxX = -1, MaxY = -1;
    TPlacementRect Normal;
};

// The flag of a minimised window that goes back to the maximised state.
constexpr int WPF_RESTORETOMAXIMIZED = 2;

TWindowPlacement GetWindowPlacement(const QWidget* window);
// Moves and sizes the window to the normal rectangle; the state is left alone.
void SetWindowPlacement(QWidget* window, const TPlacementRect& normal);

// "%d,%d,%d,%d"
QString FormatPlacementWords(int a, int b, int c, int d);
// Words 1 to 4 of a text whose words are separated by commas and blanks; a word that is not
// an integer, or a missing one, is 0.
QList<int> PlacementWords(const QString& text);

// Whether the user can resize the window (a fixed size or no border says no).
bool IsSizeable(const QWidget* window);
// Whether any part of the rectangle lies on a screen.
bool IsOnSomeScreen(const TPlacementRect& rect);

// The window's rectangle at a default position: area (v div 9) and anchor (v mod 9) of a
// TDefaultWindowPos value, the window keeping its size.
TPlacementRect DefaultWindowRect(int defaultWindowPos, const QWidget* window);
