#include "cli/Interrupt.h"

#include <csignal>
#include <unistd.h>

static volatile std::sig_atomic_t interruptRequested = 0;

static void RestoreDefaultAction(int signal) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

extern "C" void HandleInterrupt(int) {
    interruptRequested = 1;
    // From now on the next SIGINT or SIGTERM takes its default action.
    RestoreDefaultAction(SIGINT);
    RestoreDefaultAction(SIGTERM);
    static const char note[] =
        "\nroad-import: interrupted; stopping at the next check and rolling back "
        "(interrupt again to end at once)\n";
    const ssize_t written = write(STDERR_FILENO, note, sizeof note - 1);
    (void)written;
}

void InstallInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = HandleInterrupt;
    // A statement in progress must not fail with EINTR: the stop waits for the next check.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

bool InterruptRequested() { return interruptRequested != 0; }
