#pragma once

#include <QImage>
#include <QString>
#include <cstdint>

#include "screen/GameViewHost.h"

class INIFile;
class SharedData;
class clsGameView;
class clsModeBase;
class clsSaveData;

// What the modes need from the engine that runs them, beyond what its game
// view needs: the subsystems, the save data, movies and the active mode. The
// engine implements it and hands itself to every mode it creates.
class ModeHost : public GameViewHost {
public:
    virtual clsGameView& GameView() = 0;
    virtual clsSaveData& SD() = 0;
    virtual SharedData& Shared() = 0;
    virtual INIFile& SystemInfo() = 0;

    // The active mode, or null.
    virtual clsModeBase* ModeObject() = 0;
    virtual std::int32_t CurrentAutoClickTimer() const = 0;
    virtual bool PlayMovie(const QString& file, std::int32_t modeArgument) = 0;

    // Restores the engine state from the save data.
    virtual void SDRestoreData(bool withScreen) = 0;
    // The preview SDMakeData made of the screen, for the next save.
    virtual const QImage& Preview() const = 0;
};
