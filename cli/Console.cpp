#include "cli/Console.h"

#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

// A redraw of the progress line costs a write to the terminal; a few per second suffice.
static constexpr qint64 ProgressRedrawMs = 100;

static void WriteAll(FILE* stream, const QByteArray& bytes) {
    // A closed reader (a pipe whose other end is gone) must not end the import: the write
    // error is ignored, SIGPIPE is ignored by the runner.
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

static int TerminalColumns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

TConsole::TConsole() : ErrIsTerminal(isatty(STDERR_FILENO) == 1), OutIsTerminal(isatty(STDOUT_FILENO) == 1) {}

void TConsole::OutLine(const QString& line) {
    // The progress line only stands in the way when both streams share the terminal.
    const bool redraw = ProgressVisible && OutIsTerminal;
    if (redraw) EraseProgress();
    WriteAll(stdout, (line + QLatin1Char('\n')).toUtf8());
    if (redraw) DrawProgress();
}

void TConsole::ErrText(const QString& text) {
    const bool redraw = ProgressVisible;
    if (redraw) EraseProgress();
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    WriteAll(stderr, (lines + QLatin1Char('\n')).toUtf8());
    if (redraw) DrawProgress();
}

void TConsole::SetProgress(const QString& text) {
    if (!ErrIsTerminal) return;
    ProgressText = text;
    DrawProgress();
}

void TConsole::UpdateProgress(const QString& text) {
    if (!ErrIsTerminal) return;
    ProgressText = text;
    if (ProgressVisible && SinceDraw.isValid() && SinceDraw.elapsed() < ProgressRedrawMs) return;
    DrawProgress();
}

void TConsole::ClearProgress() {
    if (ProgressVisible) EraseProgress();
    ProgressText.clear();
}

void TConsole::DrawProgress() {
    // A line longer than the terminal would wrap, and "\r" could no longer return to its start.
    const int room = TerminalColumns() - 1;
    QString shown = ProgressText;
    if (shown.size() > room) shown = shown.left(room > 1 ? room - 1 : 0) + QChar(0x2026);
    WriteAll(stderr, (QStringLiteral("\r") + shown + QStringLiteral("\x1b[K")).toUtf8());
    ProgressVisible = true;
    SinceDraw.start();
}

void TConsole::EraseProgress() {
    WriteAll(stderr, QByteArrayLiteral("\r\x1b[K"));
    ProgressVisible = false;
}
