#pragma once
// Whether Escape is held down now while a window of this program is active: an
// application-wide filter follows the key's presses and releases as the events arrive.

#include <QObject>

class TEscapeKeyState : public QObject {
public:
    // Installs itself on the application.
    explicit TEscapeKeyState(QObject* parent = nullptr);
    ~TEscapeKeyState() override;

    bool EscapeHeldInFront() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Held = false;
};
