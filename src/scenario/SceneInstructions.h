#pragma once

#include "scenario/InstructionGroup.h"

// Backgrounds and whole-screen transitions: bg, bgfill, bglc, bgmv, dd, ddb,
// ddw, da, daa, dam, wto, bto and mto.
class SceneInstructions : public InstructionGroup {
public:
    explicit SceneInstructions(clsInterpreter& interpreter);

    // BGCenter's stand-in for the middle of the screen.
    static constexpr qint32 kScreenCentre = -999999;

private:
    void Background(const QStringList& words);
    void Fill(const QStringList& words);
    void Locate(const QStringList& words);
    void Move(const QStringList& words);
    void Freeze(const QStringList& words);
    void FreezeBlack(const QStringList& words);
    void FreezeWhite(const QStringList& words);
    void Release(const QStringList& words);
    void ReleaseFade(const QStringList& words);
    void ReleaseMask(const QStringList& words);
    void ThroughWhite(const QStringList& words);
    void ThroughBlack(const QStringList& words);
    void ThroughMask(const QStringList& words);

    // The background centre to (x, y), or moved by it; smoothly over a
    // duration, or at once with the step's effect for "%".
    void MoveBackground(qint32 x, qint32 y, const QString& duration, bool absolute);
    // Characters and text gone, the new background centred; false when it
    // could not be loaded.
    bool ChangeScene(const QString& picture);
    void LoadMask(const QString& mask);
    bool RecordSceneChange(bool ok, const QString& picture);
};
