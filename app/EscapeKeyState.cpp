#include "app/EscapeKeyState.h"

#include <QApplication>
#include <QKeyEvent>

TEscapeKeyState::TEscapeKeyState(QObject* parent) : QObject(parent) { qApp->installEventFilter(this); }

TEscapeKeyState::~TEscapeKeyState() {
    if (qApp) qApp->removeEventFilter(this);
}

bool TEscapeKeyState::EscapeHeldInFront() const {
    return Held && QApplication::activeWindow() != nullptr;
}

bool TEscapeKeyState::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) Held = true;
        break;
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && !key->isAutoRepeat()) Held = false;
        break;
    }
    case QEvent::ApplicationDeactivate:
        // The release may go to another program's window; it is not seen here.
        Held = false;
        break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}
