#pragma once

#include "scenario/InstructionGroup.h"

// The twenty character pictures and the face picture: cg, cgh, cglc, cgmv,
// cglcas, cgmvas, cga, cgaas, cgbc, cgf, cghfas, cgvfas, cgactclear,
// cgactadd, cgactstart, cgactend, cgactcomplete and fc.
class CharacterInstructions : public InstructionGroup {
public:
    explicit CharacterInstructions(clsInterpreter& interpreter);

    // A width or height that keeps the picture's own size.
    static constexpr qint32 kNaturalSize = -1;
    static constexpr qint32 kFullOpacityPercent = 100;

private:
    void Show(const QStringList& words);
    void Hide(const QStringList& words);
    void Locate(const QStringList& words);
    void Move(const QStringList& words);
    void LocateAsync(const QStringList& words);
    void MoveAsync(const QStringList& words);
    void Alpha(const QStringList& words);
    void AlphaAsync(const QStringList& words);
    void BlendColor(const QStringList& words);
    void Flip(const QStringList& words);
    void FlipColumns(const QStringList& words);
    void FlipRows(const QStringList& words);
    void ActClear(const QStringList& words);
    void ActAdd(const QStringList& words);
    void ActStart(const QStringList& words);
    void ActEnd(const QStringList& words);
    void ActComplete(const QStringList& words);
    void Face(const QStringList& words);

    qint32 Size(const QString& word, bool horizontal);
    // A synchronous move: smooth over the duration, or with "%" placed behind
    // a frozen screen and released with the step's effect.
    void MoveWaiting(const QStringList& words, qint32 x, qint32 y, bool absolute,
                     const QString& kind);
    void SetAlpha(const QStringList& words, bool wait, const QString& failure);
    // The cell animation: the next column or row every interval.
    void FlipAnimation(const QStringList& words, qint32 filmMethod);
    static QString Failure(const QString& picture, const QString& what);
};
