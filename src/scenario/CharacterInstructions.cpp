#include "scenario/CharacterInstructions.h"

#include "data/SharedData.h"
#include "scenario/InterpreterHost.h"
#include "scenario/clsInterpreter.h"

namespace {

// Tokens of the cell animation: the film method that steps to the next cell
// column (or row), a wait of the interval, and a jump back to the start.
constexpr qint32 kTokCallFilmMethod = 0x20022010;
constexpr qint32 kNextCellColumn = 0x11000030;
constexpr qint32 kNextCellRow = 0x11000031;
constexpr qint32 kTokWait = 0x20020001;
constexpr qint32 kTokRepeat = 0x20020003;
constexpr int kActTokenWords = 5;
constexpr qint32 kEndOfTokens = -1;
constexpr qint32 kFullOpacity = 256;

}  // namespace

CharacterInstructions::CharacterInstructions(clsInterpreter& interpreter)
    : InstructionGroup(interpreter) {
    Register("cg", &CharacterInstructions::Show);
    Register("cgh", &CharacterInstructions::Hide);
    Register("cglc", &CharacterInstructions::Locate);
    Register("cgmv", &CharacterInstructions::Move);
    Register("cglcas", &CharacterInstructions::LocateAsync);
    Register("cgmvas", &CharacterInstructions::MoveAsync);
    Register("cga", &CharacterInstructions::Alpha);
    Register("cgaas", &CharacterInstructions::AlphaAsync);
    Register("cgbc", &CharacterInstructions::BlendColor);
    Register("cgf", &CharacterInstructions::Flip);
    Register("cghfas", &CharacterInstructions::FlipColumns);
    Register("cgvfas", &CharacterInstructions::FlipRows);
    Register("cgactclear", &CharacterInstructions::ActClear);
    Register("cgactadd", &CharacterInstructions::ActAdd);
    Register("cgactstart", &CharacterInstructions::ActStart);
    Register("cgactend", &CharacterInstructions::ActEnd);
    Register("cgactcomplete", &CharacterInstructions::ActComplete);
    Register("fc", &CharacterInstructions::Face);
}

QString CharacterInstructions::Failure(const QString& picture, const QString& what) {
    return QStringLiteral("人物'") + picture + QStringLiteral("'の") + what +
           QStringLiteral("に失敗しました。");
}

// -1 (the picture's own size) reaches the driver as it is, whatever the scale.
qint32 CharacterInstructions::Size(const QString& word, bool horizontal) {
    const qint32 size = Number(word, kNaturalSize);
    if (size == kNaturalSize) {
        return kNaturalSize;
    }
    return horizontal ? ToScreenX(size) : ToScreenY(size);
}

void CharacterInstructions::Show(const QStringList& words) {
    const QString& picture = words.value(1);
    const bool shown = mHost.CGChange(picture, PositionX(words.value(2)), PositionY(words.value(3)),
                                      Size(words.value(4), true), Size(words.value(5), false),
                                      mIntprt.EffectTime());
    if (Check(shown, Failure(picture, QStringLiteral("ロード")))) {
        mIntprt.Shared().AddCGHistory(picture);
    }
}

void CharacterInstructions::Hide(const QStringList& words) {
    const QString& picture = words.value(1);
    if (IsDefaultMark(picture)) {
        mHost.CGHideAll(mIntprt.EffectTime());
        return;
    }
    Check(mHost.CGHide(picture, mIntprt.EffectTime()), Failure(picture, QStringLiteral("非表示")));
}

void CharacterInstructions::Locate(const QStringList& words) {
    MoveWaiting(words, PositionX(words.value(2)), PositionY(words.value(3)), true,
                QStringLiteral("絶対位置移動"));
}

void CharacterInstructions::Move(const QStringList& words) {
    MoveWaiting(words, DistanceX(words.value(2)), DistanceY(words.value(3)), false,
                QStringLiteral("相対位置移動"));
}

void CharacterInstructions::MoveWaiting(const QStringList& words, qint32 x, qint32 y, bool absolute,
                                        const QString& kind) {
    const QString& picture = words.value(1);
    const QString& duration = words.value(4);
    if (!IsDefaultMark(duration)) {
        Check(mHost.CGMove(picture, x, y, absolute, Duration(duration), true),
              Failure(picture, kind + QStringLiteral("（スムーズ）")));
        return;
    }
    const bool released = mHost.DrawActivity();
    if (released) {
        mHost.DrawDeactivate(kAtOnce, kInstantDuration);
    }
    const bool moved = mHost.CGMove(picture, x, y, absolute, 0, true);
    if (released) {
        mHost.DrawActivate(kFade, mIntprt.EffectTime());
    }
    Check(moved, Failure(picture, kind + QStringLiteral("（フェード）")));
}

void CharacterInstructions::LocateAsync(const QStringList& words) {
    const QString& picture = words.value(1);
    Check(mHost.CGMove(picture, PositionX(words.value(2)), PositionY(words.value(3)), true,
                       Duration(words.value(4)), false),
          Failure(picture, QStringLiteral("非同期絶対位置移動")));
}

void CharacterInstructions::MoveAsync(const QStringList& words) {
    const QString& picture = words.value(1);
    Check(mHost.CGMove(picture, DistanceX(words.value(2)), DistanceY(words.value(3)), false,
                       Duration(words.value(4)), false),
          Failure(picture, QStringLiteral("非同期相対位置移動")));
}

void CharacterInstructions::Alpha(const QStringList& words) {
    SetAlpha(words, true, QStringLiteral("透明度変更"));
}

void CharacterInstructions::AlphaAsync(const QStringList& words) {
    SetAlpha(words, false, QStringLiteral("非同期透明度変更"));
}

void CharacterInstructions::SetAlpha(const QStringList& words, bool wait, const QString& failure) {
    const QString& picture = words.value(1);
    qint32 percent = Number(words.value(2), kFullOpacityPercent);
    if (percent < 0 || percent > kFullOpacityPercent) {
        mIntprt.ReportRuntimeError(QStringLiteral("アルファ値は０から１００"));
        percent = kFullOpacityPercent;
    }
    Check(mHost.CGAlpha(picture, percent * kFullOpacity / kFullOpacityPercent,
                        Duration(words.value(3)), wait),
          Failure(picture, failure));
}

void CharacterInstructions::BlendColor(const QStringList& words) {
    mHost.SetCharBlendColor(Number(words.value(1)));
}

void CharacterInstructions::Flip(const QStringList& words) {
    const QString& picture = words.value(1);
    Check(mHost.CGFlip(picture, Number(words.value(2), -1), Number(words.value(3), -1)),
          Failure(picture, QStringLiteral("フリップ位置変更")));
}

void CharacterInstructions::FlipColumns(const QStringList& words) {
    FlipAnimation(words, kNextCellColumn);
}

void CharacterInstructions::FlipRows(const QStringList& words) {
    FlipAnimation(words, kNextCellRow);
}

void CharacterInstructions::FlipAnimation(const QStringList& words, qint32 filmMethod) {
    const QString& picture = words.value(1);
    const QString failure = Failure(picture, QStringLiteral("非同期フリップ"));
    if (!Check(mHost.CGActClear(picture), failure)) {
        return;
    }
    const qint32 interval = Number(words.value(2));
    if (interval < 1) {
        return;
    }
    QStringList tokens;
    for (const qint32 token : {kTokCallFilmMethod, filmMethod, 1, kTokWait, interval, kTokRepeat}) {
        tokens.append(QString::number(token));
    }
    Check(mHost.CGActAdd(picture, tokens) && mHost.CGActStart(picture), failure);
}

void CharacterInstructions::ActClear(const QStringList& words) {
    Check(mHost.CGActClear(words.value(1)),
          Failure(words.value(1), QStringLiteral("自由アクション初期化")));
}

void CharacterInstructions::ActAdd(const QStringList& words) {
    QStringList tokens;
    for (int i = 2; i < 2 + kActTokenWords; ++i) {
        tokens.append(QString::number(Number(words.value(i, QStringLiteral("%")), kEndOfTokens)));
    }
    Check(mHost.CGActAdd(words.value(1), tokens),
          Failure(words.value(1), QStringLiteral("自由アクション追加")));
}

void CharacterInstructions::ActStart(const QStringList& words) {
    Check(mHost.CGActStart(words.value(1)),
          Failure(words.value(1), QStringLiteral("自由アクション開始")));
}

void CharacterInstructions::ActEnd(const QStringList& words) {
    Check(mHost.CGActEnd(words.value(1)),
          Failure(words.value(1), QStringLiteral("自由アクション停止")));
}

void CharacterInstructions::ActComplete(const QStringList& words) {
    Check(mHost.CGActComplete(words.value(1)),
          Failure(words.value(1), QStringLiteral("自由アクション完了")));
}

void CharacterInstructions::Face(const QStringList& words) {
    const QString name = IsDefaultMark(words.value(1)) ? QString() : words.value(1);
    Check(mHost.FaceChange(name),
          QStringLiteral("顔'") + name + QStringLiteral("'のロードに失敗しました。"));
}
