#pragma once

#include <QVariant>
#include <cstdint>
#include <memory>

#include "screen/clsEventRects.h"

class clsGameView;

// The interface of every mode, and the fallback mode for mode numbers that have
// no mode of their own: it starts, ends and handles commands without doing
// anything. A mode listens to the game view's ScreenCmd from Listen until it is
// replaced, and acts only on commands raised in its own mode number. A command
// being handled keeps its mode alive, so a handler may end its own mode.
class clsModeBase : public std::enable_shared_from_this<clsModeBase> {
public:
    using RectPtr = clsEventRects::RectPtr;

    explicit clsModeBase(clsGameView& view);
    virtual ~clsModeBase();
    clsModeBase(const clsModeBase&) = delete;
    clsModeBase& operator=(const clsModeBase&) = delete;

    // The sub-mode may be changed by the mode. False in the fallback mode.
    virtual bool ModeStart(std::int32_t& subMode, const QVariant& argument);
    virtual bool ModeEnd();
    // A movie started through the engine's PlayMovie.
    virtual void SetMoviePlayMode(std::int32_t /*modeArgument*/) {}
    // The game mode's: a scene replayed from the extras, and whether the text
    // films are shown (kept in save data). Other modes have neither.
    virtual bool IsReplayMode() const { return false; }
    virtual bool TextFilmsVisible() const { return false; }
    virtual void SetTextFilmsVisible(bool /*visible*/) {}
    // The game mode's back-log view, opened from the menu.
    virtual void LogModeStart() {}

    // Subscribes to the view's ScreenCmd; the mode must be owned by a shared_ptr.
    void Listen();
    void StopListening();

    std::int32_t SubStatus() const { return mSubStatus; }
    void SetSubStatus(std::int32_t status) { mSubStatus = status; }

    // ScreenCmd of the game view: the engine mode it was raised in, the command
    // code and the rectangle (null when none).
    virtual void mGV_ScreenCmd(std::int32_t mode, std::int32_t command, const RectPtr& rect);

protected:
    clsGameView& GameView() { return mView; }
    // A message box with an OK button, through the launcher.
    static void ShowMessage(const QString& text);
    // Plays the named sound effect once; an empty name plays nothing.
    void PlayEffect(const QString& name);

private:
    clsGameView& mView;
    int mSubscription = 0;
    std::int32_t mSubStatus = 0;
};
