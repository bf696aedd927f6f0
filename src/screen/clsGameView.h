#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <Qt>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "screen/clsEventRects.h"

class GameViewHost;
class QAction;
class QWidget;
class clsKestDriver;
class clsSaveData;
class frmScreen;

// The game's window: one form that shows the screen driver's frames 1:1 in
// window mode and scaled with letterbox bars in full screen, with the menu bar.
// It turns menu choices into engine actions and mouse, wheel and key input into
// one event, ScreenCmd, that the active mode handles.
class clsGameView {
public:
    using RectPtr = clsEventRects::RectPtr;
    // Engine mode, command code, rectangle (null when none).
    using ScreenCmdHandler =
        std::function<void(std::int32_t mode, std::int32_t command, const RectPtr& rect)>;

    // ScreenCmd command codes.
    static constexpr std::int32_t kCmdPrimary = 1;
    static constexpr std::int32_t kCmdSecondary = 2;
    static constexpr std::int32_t kCmdPointer = 4;
    static constexpr std::int32_t kCmdWheelForward = 16;
    static constexpr std::int32_t kCmdWheelBackward = 32;

    // ScreenMode values.
    static constexpr std::int32_t kScreenFull = 0;
    static constexpr std::int32_t kScreenWindow = 1;
    static constexpr std::int32_t kScreenClosed = 2;

    // Text speeds "fast" .. "slow".
    static constexpr std::int32_t kTextSpeedNormal = 2;

    // Creates the form (hidden) with its menu bar; the screen size is the game's.
    explicit clsGameView(QSize screenSize = QSize(640, 480));
    // Logs "GameView-Terminate".
    ~clsGameView();
    clsGameView(const clsGameView&) = delete;
    clsGameView& operator=(const clsGameView&) = delete;

    // The screen driver whose frames the picture shows; null detaches it.
    void AttachScreen(clsKestDriver* kest);
    void SetScreenSize(QSize screenSize);
    QSize ScreenSize() const;

    QWidget* Form();
    // The picture box: its coordinates are game-screen pixels in window mode.
    QWidget* pic();
    bool Visible() const;
    void SetVisible(bool visible);
    // The colour shown while no frame has been presented (0xRRGGBB).
    void SetPictureColor(std::int32_t rgb);
    // Shows a movie picture instead of the screen driver's frames; a null image
    // gives the picture back to the screen driver.
    void ShowMovieFrame(const QImage& frame);
    // The frame the picture shows now, at game resolution.
    QImage CurrentScreen() const;

    // A picture file relative to the game folder; "" is the standard pointer.
    QString MouseIcon() const;
    void SetMouseIcon(const QString& file);
    QString SiteName() const;
    void SetSiteName(const QString& name);

    std::int32_t ScreenMode() const;
    // 0 full screen, 1 window; 2 is the closed state (form hidden). Other values
    // raise onScreenError("不正なスクリーンモード指定").
    void SetScreenMode(std::int32_t mode);
    // "left,top" of the window in window mode.
    QString WndPos() const;
    void SetWndPos(const QString& position);

    clsEventRects& EvRects();
    RectPtr SelectedRect() const;
    void SelectionClear();
    // Repeats the last pointer move, so hover is tested again.
    void ForceMouseMove();
    // Raises ScreenCmd with the engine's current mode number.
    void RaiseScreenCmd(std::int32_t code, const RectPtr& rect);

    bool AutoClickEnabled() const;
    void SetAutoClickEnabled(bool enabled);
    std::int32_t TextSpeed() const;
    void SetTextSpeed(std::int32_t speed);
    bool IsDeactivateSense() const;
    void SetDeactivateSense(bool sense);
    bool EventEnabled() const;
    // Turning input on first discards the input that is waiting.
    void SetEventEnabled(bool enabled);
    // The Ctrl key is held down.
    bool IsCtrlDown() const;
    // The Tab key is held down (with Ctrl it skips a movie).
    bool IsTabDown() const;

    void MenuCmd(const QString& group, const QString& item);
    // The menu item with the tag group!item, or null.
    QAction* MenuItem(const QString& tag) const;
    void MenuEnableByText(const QString& tags);
    QString SaveMenuStatus() const;
    void LoadMenuStatus(const QString& status);
    bool FormActivity() const;
    void FormActivityChanged();
    bool QueryExit();

    // Section "GameViewStatus": "SiteName" and the stored event rectangles.
    void SaveStatus(clsSaveData& saveData);
    void LoadStatus(clsSaveData& saveData);

    // Input in game-screen pixels, as the picture delivers it (and scripted input).
    void MouseDown(Qt::MouseButton button, QPoint gamePos);
    // The second press of a double click; `held` are the buttons down now.
    void MouseDoubleClick(Qt::MouseButton button, Qt::MouseButtons held, QPoint gamePos);
    void MouseMove(QPoint gamePos);
    // The wheel turned: forward above 0, backward below 0. Raised only in
    // sub-class mode and at the interpreter's wait modes 4 to 6.
    void Wheel(int delta);
    // A Qt key code; auto-repeated presses and releases come with autoRepeat.
    void KeyDown(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat = false);
    void KeyUp(int key, bool autoRepeat = false);
    // Where the interpreter's wait mode is read from; empty reads the engine's.
    void SetWaitModeSource(std::function<std::int32_t()> source);
    // The engine the menus and keys act on while it is open; null when none.
    void SetHost(GameViewHost* host);
    GameViewHost* Host() const;

    // ScreenCmd subscriptions; the id is above 0.
    int AddScreenCmdListener(ScreenCmdHandler handler);
    void RemoveScreenCmdListener(int id);

    // The settings dialog on a page ("system", "screen", "sound", "char") and
    // the about box, shown modally by the engine for the menu.
    std::function<void(const QString& page)> onShowSettings;
    std::function<void()> onShowAbout;
    // Raised after every completed change of screen mode.
    std::function<void()> onScreenModeChanged;
    // Raised for an invalid screen mode.
    std::function<void(const QString& text)> onScreenError;

private:
    friend class frmScreen;
    struct Impl;

    // Events of the form. Losing the activation also forgets the keys held.
    void FormActivationEvent();
    void FormCloseRequest();
    void FormMaximizeRequest();

    void BuildMenu();
    void FileMenuCmd(const QString& item);
    void ScreenMenuCmd(const QString& item);
    void MessageMenuCmd(const QString& item);
    void AfterTextSettingChange();
    void SetItemChecked(const QString& tag, bool checked);
    void UpdateScreenChecks();
    void UpdateCaption();
    void ApplyWindowPos();
    void EndSkipOnInput();
    void ForgetKeys();
    void MoveSelectionByKey(bool greater);
    void PressEnter(Qt::KeyboardModifiers modifiers, bool isSpace);
    void ToggleFullScreen();
    std::int32_t InterpreterWaitMode() const;
    int Ask(const QString& prompt, int style) const;

    std::unique_ptr<Impl> d;
};
