#pragma once

#include <QVariant>
#include <cstdint>

#include "screen/clsEventRects.h"

class Configuration;
class INIFile;
class clsDovDriver;
class clsInterpreter;
class clsKestDriver;

// What the game view needs from the engine that owns it: the menus and keys
// of the window act on the engine's modes, settings, sound and quick save.
// The engine implements it and hands itself to its view while it is open.
class GameViewHost {
public:
    using RectPtr = clsEventRects::RectPtr;

    // Mode numbers.
    static constexpr std::int32_t kModeNone = 0;
    static constexpr std::int32_t kModeTitle = 1;
    static constexpr std::int32_t kModeGame = 2;
    static constexpr std::int32_t kModeSaveLoad = 3;
    static constexpr std::int32_t kModeEnding = 4;
    static constexpr std::int32_t kModeOmake = 5;

    virtual ~GameViewHost() = default;

    virtual clsInterpreter& Intprt() = 0;
    virtual clsKestDriver& Kest() = 0;
    virtual clsDovDriver& Dov() = 0;
    virtual Configuration& Cfg() = 0;
    virtual INIFile& GamemodeInfo() = 0;

    virtual std::int32_t VaroMode() const = 0;
    // Ends the active mode and starts `mode` (0: none).
    virtual void ChangeMode(std::int32_t mode, std::int32_t subMode,
                            const QVariant& argument = {}) = 0;
    // Opens the back-log of the game mode; nothing in other modes.
    virtual void StartLogMode() = 0;

    virtual bool IsSkipMode() const = 0;
    virtual void SetSkipMode(bool on) = 0;
    // The one-shot auto-click timer: a tick raises the command on the rectangle.
    virtual void MakeAutoClickTimer(std::int32_t interval, std::int32_t command,
                                    const RectPtr& rect) = 0;

    // Collects the engine state into the save data.
    virtual void SDMakeData() = 0;
    virtual void QuickLoad(bool interactive) = 0;
    virtual void QuickSave(bool interactive) = 0;
};
