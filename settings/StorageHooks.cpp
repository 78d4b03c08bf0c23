// The storage's window hooks: restore on show, save on a close the window allows, save on a
// hide not saved since the last restore.

#include "settings/Storage.h"

#include "support/Exception.h"
#include "support/Log.h"

#include <QEvent>
#include <QWidget>

std::function<void(const QString& message)> TStorage::HookErrorHandler;

namespace {

void ReportHookError(const QString& message) {
    if (TStorage::HookErrorHandler) {
        TStorage::HookErrorHandler(message);
        return;
    }
    WriteLog(message, 0);
}

}  // namespace

void TStorage::RunHook(void (TStorage::*step)()) {
    try {
        (this->*step)();
    } catch (const std::exception& error) {
        const auto* own = dynamic_cast<const Exception*>(&error);
        ReportHookError(own ? own->message() : QString::fromLocal8Bit(error.what()));
    }
}

bool TStorage::WindowBeingDestroyed(QObject* watched) const {
    // The hide that the toolkit's widget destructor sends comes after the window's own class
    // is gone: its handlers and fields must not be reached any more.
    return IsLoaded && QString::fromLatin1(watched->metaObject()->className()) != LoadedClassName;
}

bool TStorage::HandleClose(QObject* watched, QEvent* event) {
    // The window's own close handler decides first; the storage saves only a close it allows.
    // A handler that hides the window itself (a dialog's close rejects it) has had it saved
    // by that hide already.
    const int savesBefore = SavesDone;
    InCloseQuery = true;
    watched->event(event);
    InCloseQuery = false;
    if (event->isAccepted() && FActive && SavesDone == savesBefore) RunHook(&TStorage::Save);
    return true;
}

bool TStorage::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Hooked || watched != parent() || !Window()) return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::Show:
            // Spontaneous shows come from the platform (a minimised window brought back).
            if (event->spontaneous()) break;
            if (!IsLoaded) Loaded();
            if (FActive) RunHook(&TStorage::Restore);
            break;
        case QEvent::Close:
            if (InCloseQuery) break;
            return HandleClose(watched, event);
        case QEvent::Hide:
            if (event->spontaneous() || WindowBeingDestroyed(watched)) break;
            if (FActive && !Saved) RunHook(&TStorage::Save);
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}
