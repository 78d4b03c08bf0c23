#pragma once
// TStorage remembers settings for the window that owns it: it hooks the window's show, close,
// hide and destroy, restores the window's placement and chosen component properties when the
// window is shown, saves them when it is closed, and lets the window's own OnSave and OnRestore
// handlers keep named values of their own. Values live under the current user's root, with the
// local machine's root as the shared fallback.

#include "settings/PropsStorage.h"
#include "settings/RegistryKey.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <functional>
#include <memory>

class QWidget;
class TStorageManager;

class TStorage : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(bool Plugin READ Plugin WRITE SetPlugin)
    Q_PROPERTY(QString ManagerName READ ManagerName WRITE SetManagerName)
    Q_PROPERTY(TStorageOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(QStringList StoredProps READ StoredProps WRITE SetStoredProps)
    Q_PROPERTY(TDefaultWindowPos DefaultWindowPos READ DefaultWindowPos WRITE SetDefaultWindowPos)

public:
    enum TStorageOption { soState = 0x1, soPosition = 0x2, soActiveControl = 0x4 };
    Q_DECLARE_FLAGS(TStorageOptions, TStorageOption)
    Q_FLAG(TStorageOptions)

    // v div 9 names the reference area, v mod 9 the anchor.
    enum TDefaultWindowPos {
        dwpMainFormCenter, dwpMainFormLeft, dwpMainFormLeftTop, dwpMainFormLeftBottom, dwpMainFormTop,
        dwpMainFormRight, dwpMainFormRightTop, dwpMainFormRightBottom, dwpMainFormBottom,
        dwpLastFormCenter, dwpLastFormLeft, dwpLastFormLeftTop, dwpLastFormLeftBottom, dwpLastFormTop,
        dwpLastFormRight, dwpLastFormRightTop, dwpLastFormRightBottom, dwpLastFormBottom,
        dwpDesktopCenter, dwpDesktopLeft, dwpDesktopLeftTop, dwpDesktopLeftBottom, dwpDesktopTop,
        dwpDesktopRight, dwpDesktopRightTop, dwpDesktopRightBottom, dwpDesktopBottom,
        dwpWorkAreaCenter, dwpWorkAreaLeft, dwpWorkAreaLeftTop, dwpWorkAreaLeftBottom, dwpWorkAreaTop,
        dwpWorkAreaRight, dwpWorkAreaRightTop, dwpWorkAreaRightBottom, dwpWorkAreaBottom
    };
    Q_ENUM(TDefaultWindowPos)

    using TNotifyEvent = std::function<void(TStorage* sender)>;
    using TGetDefaultWindowPosEvent = std::function<void(TStorage* sender, QRect& rect)>;
    using TGetDefaultWindowStateEvent = std::function<void(TStorage* sender, Qt::WindowState& state)>;
    using TStorateFilterFunc = std::function<void(TStorage* sender, bool& proceed)>;

    // Hooks the owner when it is a widget.
    explicit TStorage(QObject* owner);
    ~TStorage() override;

    bool Active() const { return FActive; }
    void SetActive(bool value) { FActive = value; }
    bool Plugin() const { return FPlugin; }
    void SetPlugin(bool value) { FPlugin = value; }
    const QString& ManagerName() const { return FManagerName; }
    // Takes the name only when a manager of that name exists in the process; empty otherwise.
    void SetManagerName(const QString& value);
    TStorageOptions Options() const { return FOptions; }
    void SetOptions(TStorageOptions value) { FOptions = value; }
    QStringList StoredProps() const { return Props.Entries(); }
    void SetStoredProps(const QStringList& value);
    TDefaultWindowPos DefaultWindowPos() const { return FDefaultWindowPos; }
    void SetDefaultWindowPos(TDefaultWindowPos value) { FDefaultWindowPos = value; }

    TNotifyEvent OnSave;
    TNotifyEvent OnRestore;
    TGetDefaultWindowPosEvent OnGetDefaultWindowPos;
    TGetDefaultWindowStateEvent OnGetDefaultWindowState;
    TStorateFilterFunc OnSaveFilter;
    TStorateFilterFunc OnRestoreFilter;

    // Values of the owning window's subkey, or of an explicit subkey. A read takes the user's
    // value, else the machine's, else the default; a non-number counts as absent for the
    // integer and boolean reads.
    QString ReadString(const QString& name, const QString& defaultValue);
    QString ReadString(const QString& section, const QString& name, const QString& defaultValue);
    int ReadInteger(const QString& name, int defaultValue);
    int ReadInteger(const QString& section, const QString& name, int defaultValue);
    bool ReadBool(const QString& name, bool defaultValue);
    bool ReadBool(const QString& section, const QString& name, bool defaultValue);
    void WriteString(const QString& name, const QString& value);
    void WriteString(const QString& section, const QString& name, const QString& value);
    void WriteInteger(const QString& name, int value);
    void WriteInteger(const QString& section, const QString& name, int value);
    void WriteBool(const QString& name, bool value);
    void WriteBool(const QString& section, const QString& name, bool value);

    // Both do nothing unless the owner is a window; both close the registry keys at the end.
    void Save();
    void Restore();

    // The window has built its components: binds the StoredProps entries (dropping those that
    // name no component) and fixes the subkey name. Runs by itself at the first show.
    void Loaded();

    // The manager this storage uses, or none.
    TStorageManager* Manager() const;
    // The key path under both roots and the subkey of the owning window.
    QString KeyPath() const;
    QString SubkeyName() const;
    // Whether the hooks have saved since the last restore.
    bool IsSaved() const { return Saved; }

    // A manager left the process: a name that now names none becomes empty.
    void ManagerRemoved();

    // Errors of the hooks cannot travel through the toolkit's event delivery; they are handed
    // here instead (the program shows them; unset, they go to the diagnostic log).
    static std::function<void(const QString& message)> HookErrorHandler;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* Window() const;
    TRegistryKey& Key(std::unique_ptr<TRegistryKey>& key, TRegistryRoot root);
    void CloseKeys();
    bool WritesToMachine() const;
    // The window's own handler, unless its filter vetoes the call.
    void CallFiltered(const TNotifyEvent& handler, const TStorateFilterFunc& filter);
    void SaveSteps(QWidget* window);
    void RestoreSteps(QWidget* window);
    void RestorePlacement(QWidget* window);
    void RestorePosition(QWidget* window);
    void RestoreState(QWidget* window);
    void RestoreActiveControl(QWidget* window);
    bool HandleClose(QObject* watched, QEvent* event);
    bool WindowBeingDestroyed(QObject* watched) const;
    void RunHook(void (TStorage::*step)());

    bool FActive = true;
    bool FPlugin = true;
    QString FManagerName;
    TStorageOptions FOptions = TStorageOptions(soState) | soPosition;
    TDefaultWindowPos FDefaultWindowPos = dwpMainFormCenter;

    TPropsStorage Props;
    QPointer<QWidget> Hooked;
    QString LoadedClassName;
    bool IsLoaded = false;
    bool Saved = false;
    bool InCloseQuery = false;
    int SavesDone = 0;
    std::unique_ptr<TRegistryKey> UserKey;
    std::unique_ptr<TRegistryKey> MachineKey;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TStorage::TStorageOptions)
