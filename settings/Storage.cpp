#include "settings/Storage.h"

#include "settings/StorageManager.h"
#include "settings/StorageRegistry.h"
#include "settings/WindowPlacement.h"

#include <QWidget>

namespace {

// Both registry keys are closed at the end of every save and restore, also when a step failed.
template <class F>
struct TAtExit {
    F Action;
    ~TAtExit() { Action(); }
};
template <class F>
TAtExit(F) -> TAtExit<F>;

const QString UniversalForm = QStringLiteral("TUniversalForm");

}  // namespace

TStorage::TStorage(QObject* owner) : QObject(owner) {
    StorageRegistry::AddStorage(this);
    if (auto* widget = qobject_cast<QWidget*>(owner)) {
        Hooked = widget;
        widget->installEventFilter(this);
    }
}

TStorage::~TStorage() {
    StorageRegistry::RemoveStorage(this);
    if (Hooked) Hooked->removeEventFilter(this);
}

void TStorage::SetManagerName(const QString& value) {
    FManagerName = FindStorageManager(value) ? value : QString();
}

void TStorage::SetStoredProps(const QStringList& value) { Props.SetEntries(value); }

void TStorage::ManagerRemoved() {
    if (!FManagerName.isEmpty() && !FindStorageManager(FManagerName)) FManagerName.clear();
}

TStorageManager* TStorage::Manager() const {
    const QList<TStorageManager*>& all = StorageManagers();
    if (all.isEmpty()) return nullptr;
    if (parent())
        for (TStorageManager* manager : parent()->findChildren<TStorageManager*>())
            if (manager->ManagerName() == FManagerName) return manager;
    if (TStorageManager* named = FindStorageManager(FManagerName)) return named;
    return all.first();
}

QWidget* TStorage::Window() const {
    auto* widget = qobject_cast<QWidget*>(parent());
    return widget && widget->isWindow() ? widget : nullptr;
}

QString TStorage::KeyPath() const {
    const TStorageManager* manager = Manager();
    return manager ? manager->KeyPath(FPlugin) : TStorageManager::FallbackKeyPath();
}

QString TStorage::SubkeyName() const {
    if (IsLoaded) return LoadedClassName;
    return Window() ? QString::fromLatin1(Window()->metaObject()->className()) : UniversalForm;
}

void TStorage::Loaded() {
    LoadedClassName = Window() ? QString::fromLatin1(Window()->metaObject()->className()) : UniversalForm;
    IsLoaded = true;
    Props.Bind(parent());
}

void TStorage::CallFiltered(const TNotifyEvent& handler, const TStorateFilterFunc& filter) {
    if (!handler) return;
    bool proceed = true;
    if (filter) filter(this, proceed);
    if (proceed) handler(this);
}

void TStorage::Save() {
    QWidget* window = Window();
    if (!window) return;
    TAtExit closeKeys{[this] { CloseKeys(); }};
    SaveSteps(window);
}

void TStorage::SaveSteps(QWidget* window) {
    if (!IsLoaded) Loaded();
    const TWindowPlacement placement = GetWindowPlacement(window);
    WriteInteger(QStringLiteral("Flags"), placement.Flags);
    WriteInteger(QStringLiteral("ShowCmd"), placement.ShowCmd);
    WriteString(QStringLiteral("MinMaxPos"),
                FormatPlacementWords(placement.MinX, placement.MinY, placement.MaxX, placement.MaxY));
    WriteString(QStringLiteral("NormPos"), FormatPlacementWords(placement.Normal.Left, placement.Normal.Top,
                                                                placement.Normal.Right, placement.Normal.Bottom));
    if (FOptions.testFlag(soActiveControl))
        if (const QWidget* active = window->focusWidget(); active && active != window)
            WriteString(QStringLiteral("ActiveControl"), active->objectName());
    try {
        Props.Save(*this);
    } catch (const std::exception&) {
    }
    CallFiltered(OnSave, OnSaveFilter);
    Saved = true;
    ++SavesDone;
}

void TStorage::Restore() {
    QWidget* window = Window();
    if (!window) return;
    TAtExit closeKeys{[this] { CloseKeys(); }};
    RestoreSteps(window);
}

void TStorage::RestoreSteps(QWidget* window) {
    if (!IsLoaded) Loaded();
    Saved = false;
    RestorePlacement(window);
    try {
        Props.Restore(*this);
    } catch (const std::exception&) {
    }
    CallFiltered(OnRestore, OnRestoreFilter);
    if (FOptions.testFlag(soActiveControl)) RestoreActiveControl(window);
}

void TStorage::RestorePlacement(QWidget* window) {
    if (!(FOptions & (soState | soPosition))) return;
    if (FOptions.testFlag(soPosition)) RestorePosition(window);
    if (FOptions.testFlag(soState)) RestoreState(window);
    window->update();
}

void TStorage::RestorePosition(QWidget* window) {
    // "Flags" and the minimised and maximised positions belong to the stored format only: Qt
    // places minimised and maximised windows itself. "MinMaxPos" must be there for "NormPos"
    // to count.
    bool restored = false;
    if (!ReadString(QStringLiteral("MinMaxPos"), QString()).isEmpty()) {
        const QString normPos = ReadString(QStringLiteral("NormPos"), QString());
        if (!normPos.isEmpty()) {
            const QList<int> words = PlacementWords(normPos);
            TPlacementRect rect{words[0], words[1], words[2], words[3]};
            if (!IsSizeable(window)) {
                rect.Right = rect.Left + window->width();
                rect.Bottom = rect.Top + window->height();
            }
            // A rectangle without area, or off every screen, would leave the window where
            // nobody can reach it: the window keeps its default place instead.
            if (rect.Right > rect.Left && rect.Bottom > rect.Top && IsOnSomeScreen(rect)) {
                SetWindowPlacement(window, rect);
                restored = true;
            }
        }
    }
    if (!restored && OnGetDefaultWindowPos) {
        TPlacementRect rect = DefaultWindowRect(FDefaultWindowPos, window);
        QRect qrect(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top);
        OnGetDefaultWindowPos(this, qrect);
        SetWindowPlacement(window, {qrect.x(), qrect.y(), qrect.x() + qrect.width(), qrect.y() + qrect.height()});
    }
}

void TStorage::RestoreState(QWidget* window) {
    const int showCmd = ReadInteger(QStringLiteral("ShowCmd"), -1);
    Qt::WindowState state = Qt::WindowNoState;
    if (showCmd == -1) {
        // Nothing usable stored: the event decides, or the window keeps its designed state.
        if (!OnGetDefaultWindowState) return;
        OnGetDefaultWindowState(this, state);
    } else if (showCmd == 2 || showCmd == 6) {
        state = Qt::WindowMinimized;
    } else if (showCmd == 3) {
        state = Qt::WindowMaximized;
    }
    const Qt::WindowStates kept = window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    window->setWindowState(kept | state);
}

void TStorage::RestoreActiveControl(QWidget* window) {
    const QString name = ReadString(QStringLiteral("ActiveControl"), QString());
    auto* control = qobject_cast<QWidget*>(FindComponent(window, name));
    if (control && control->isVisibleTo(window) && control->isEnabled() && control->focusPolicy() != Qt::NoFocus)
        control->setFocus();
}

