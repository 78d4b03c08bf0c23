#pragma once
// The runner's two output streams: the memo lines on standard output, message boxes and
// errors on standard error, and, only when standard error is a terminal, one progress line
// there that is redrawn in place. Every line is written as UTF-8 and flushed at once.

#include <QElapsedTimer>
#include <QString>

class TConsole {
public:
    TConsole();

    // One line of the log memo (standard output).
    void OutLine(const QString& line);
    // One or more lines for the user (standard error); "\r" and "\n" both break lines.
    void ErrText(const QString& text);

    // The progress line: shown (or replaced) at once by SetProgress, redrawn by
    // UpdateProgress at most a few times a second, erased by ClearProgress.
    void SetProgress(const QString& text);
    void UpdateProgress(const QString& text);
    void ClearProgress();

    bool ProgressShown() const { return ProgressVisible; }

private:
    void DrawProgress();
    void EraseProgress();

    bool ErrIsTerminal;
    bool OutIsTerminal;
    bool ProgressVisible = false;
    QString ProgressText;
    QElapsedTimer SinceDraw;
};
