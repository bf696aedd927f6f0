#pragma once

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include "platform/os/MsgBox.h"
#include "scenario/InterpreterHost.h"

// Records what the interpreter asks of the engine; answers from its fields.
// Operations of the screen, sound and engine are written to `calls` as
// "Name(arg,arg)"; an operation named in `failing` answers false.
class FakeInterpreterHost : public InterpreterHost {
public:
    int Msg(const QString& prompt, int style) override {
        messages.append(prompt);
        if ((style & MsgBox::ButtonMask) == MsgBox::YesNo) {
            return answerYes ? MsgBox::IdYes : MsgBox::IdNo;
        }
        return MsgBox::IdOk;
    }
    bool IsDebugMode() const override { return debugMode; }
    void CloseVaro() override {
        ++closeRequests;
        closing = true;
    }
    void PutLog(const QString& line) override { log.append(line); }
    void SaveLog() override { ++logSaves; }
    void RestartTitle() override { Record(QStringLiteral("RestartTitle")); }

    bool IsEngineClosing() const override { return closing; }
    bool IsSkipMode() const override { return skipMode; }
    void SetSkipMode(bool on) override { skipMode = on; }
    void MakeAutoClickTimer(qint32 interval, qint32 command) override {
        autoClicks.append({interval, command});
    }
    bool IsReplayMode() const override { return replayMode; }
    void YieldToMessageLoop() override {
        ++yields;
        if (closeAfterYields > 0 && yields >= closeAfterYields) {
            closing = true;
        }
    }
    void Pause(qint32 ms) override { Record(QStringLiteral("Pause"), {ms}); }
    bool PlayMovie(const QString& path, qint32 number) override {
        return Record(QStringLiteral("PlayMovie"), {path, number});
    }
    void ChangeMode(qint32 mode, qint32 subMode, const QString& parameter) override {
        Record(QStringLiteral("ChangeMode"), {mode, subMode, parameter});
    }

    void SetEventEnabled(bool on) override {
        eventEnabled = on;
        eventSwitches.push_back(on);
    }
    void MenuEnableByText(const QString& items) override { menus.append(items); }
    bool FormActivity() const override { return formActive; }
    bool IsCtrlDown() const override { return ctrlDown; }
    void SetSiteName(const QString& name) override { Record(QStringLiteral("SiteName"), {name}); }
    void RaiseScreenCmd(qint32 code) override { Record(QStringLiteral("RaiseScreenCmd"), {code}); }
    void SelectionClear() override { Record(QStringLiteral("SelectionClear")); }
    void RemoveRectsByTag(const QString& tag) override {
        Record(QStringLiteral("RemoveRects"), {tag});
    }
    void EnableRectsByTag(const QString& tag, bool on) override {
        Record(QStringLiteral("EnableRects"), {tag, on});
    }
    void ShowAllRect() override { Record(QStringLiteral("ShowAllRect")); }
    bool AddScenarioButton(const ScenarioButton& b) override {
        return Record(QStringLiteral("AddButton"), {b.x, b.y, b.width, b.height, b.type,
                                                    b.clickLabel, b.pointerLabel, b.character});
    }

    bool DrawActivity() const override { return drawActive; }
    bool DrawDeactivate(qint32 effect, qint32 duration) override {
        drawActive = false;
        return Record(QStringLiteral("DrawDeactivate"), {effect, duration});
    }
    bool DrawActivate(qint32 effect, qint32 duration) override {
        drawActive = true;
        return Record(QStringLiteral("DrawActivate"), {effect, duration});
    }
    bool LoadBuffMask(const QString& mask) override {
        return Record(QStringLiteral("LoadBuffMask"), {mask});
    }
    qint32 BaseFilmSet() const override { return filmSet; }
    void SetBaseFilmSet(qint32 set) override {
        filmSet = set;
        Record(QStringLiteral("BaseFilmSet"), {set});
    }
    bool ChangeWindowType(qint32 type) override {
        return Record(QStringLiteral("ChangeWindowType"), {type});
    }
    void SetCursorVisible(bool on) override { cursorVisible = on; }
    void SetTextVisible(bool on) override { textVisible = on; }
    void SetWaitCancelEnabled(bool on) override { waitCancelEnabled = on; }
    void TextSpeedSetting(qint32 speed) override {
        Record(QStringLiteral("TextSpeedSetting"), {speed});
    }
    void TextPageTurn() override {
        pageText.clear();
        namePlate = 0;
        Record(QStringLiteral("TextPageTurn"));
    }
    void TextStart(const QString& page, bool animate) override {
        pageText += page;
        Record(QStringLiteral("TextStart"), {page, animate});
    }
    QString CurrentText() const override { return pageText; }
    // A "|" in the message is a page break; "[nw]" is the no-wait code and
    // "[v=NAME]" the voice code, "[np]" shows name plate 1. The stand-in for the
    // text window's markup.
    QString ConvertMessageText(const QString& message, QString& rest, bool& wait, QString& voice,
                               qint32 filmSet) override {
        conversions.append(QString::number(filmSet));
        QString page = message;
        const auto brk = page.indexOf(QLatin1Char('|'));
        rest = brk < 0 ? QString() : page.mid(brk + 1);
        page = brk < 0 ? page : page.left(brk);
        wait = !page.contains(QStringLiteral("[nw]"));
        if (page.contains(QStringLiteral("[np]"))) {
            namePlate = 1;
            page.remove(QStringLiteral("[np]"));
        }
        page.remove(QStringLiteral("[nw]"));
        const auto v = page.indexOf(QStringLiteral("[v="));
        if (v >= 0) {
            const auto end = page.indexOf(QLatin1Char(']'), v);
            voice = page.mid(v + 3, end - v - 3);
            page.remove(v, end - v + 1);
        }
        return page;
    }

    const QString& BGName() const override { return bgName; }
    bool BGCenter(const QString& name, qint32 x, qint32 y, qint32 duration,
                  bool absolute) override {
        return Record(QStringLiteral("BGCenter"), {name, x, y, duration, absolute});
    }
    bool BGFill(qint32 colour, qint32 duration) override {
        return Record(QStringLiteral("BGFill"), {colour, duration});
    }
    bool BGMove(qint32 x, qint32 y, qint32 duration, bool absolute) override {
        return Record(QStringLiteral("BGMove"), {x, y, duration, absolute});
    }
    bool CGChange(const QString& picture, qint32 x, qint32 y, qint32 width, qint32 height,
                  qint32 duration) override {
        return Record(QStringLiteral("CGChange"), {picture, x, y, width, height, duration});
    }
    bool CGHide(const QString& key, qint32 duration) override {
        return Record(QStringLiteral("CGHide"), {key, duration});
    }
    bool CGHideAll(qint32 duration) override {
        return Record(QStringLiteral("CGHideAll"), {duration});
    }
    bool CGMove(const QString& key, qint32 x, qint32 y, bool absolute, qint32 duration,
                bool wait) override {
        return Record(QStringLiteral("CGMove"), {key, x, y, absolute, duration, wait});
    }
    bool CGAlpha(const QString& key, qint32 alpha, qint32 duration, bool wait) override {
        return Record(QStringLiteral("CGAlpha"), {key, alpha, duration, wait});
    }
    bool CGFlip(const QString& key, qint32 column, qint32 row) override {
        return Record(QStringLiteral("CGFlip"), {key, column, row});
    }
    void SetCharBlendColor(qint32 colour) override {
        Record(QStringLiteral("CharBlendColor"), {colour});
    }
    bool CGActClear(const QString& key) override {
        return Record(QStringLiteral("CGActClear"), {key});
    }
    bool CGActAdd(const QString& key, const QStringList& tokens) override {
        return Record(QStringLiteral("CGActAdd"), {key, tokens.join(QLatin1Char(' '))});
    }
    bool CGActStart(const QString& key) override {
        return Record(QStringLiteral("CGActStart"), {key});
    }
    bool CGActEnd(const QString& key) override { return Record(QStringLiteral("CGActEnd"), {key}); }
    bool CGActComplete(const QString& key) override {
        return Record(QStringLiteral("CGActComplete"), {key});
    }
    bool FaceChange(const QString& name) override {
        return Record(QStringLiteral("FaceChange"), {name});
    }
    qint32 GetCharXPos(const QString& key) const override { return charX.value(key, 320); }

    bool AddChoiceItem(const QString& text, const QString& label) override {
        const bool added = Record(QStringLiteral("AddChoiceItem"), {text, label});
        choices += added ? 1 : 0;
        return added;
    }
    qint32 ChoiceCount() const override { return choices; }
    void ChoiceArrange() override { Record(QStringLiteral("ChoiceArrange")); }
    void SetChoiceVisible(bool on) override { Record(QStringLiteral("ChoiceVisible"), {on}); }
    QString ChoiceList() const override { return QStringLiteral("choices"); }

    bool PlayBGM(const QString& name, bool loop) override {
        return Record(QStringLiteral("PlayBGM"), {name, loop});
    }
    bool StopBGM() override { return Record(QStringLiteral("StopBGM")); }
    void SetBGMVolumeRate(qint32 rate) override { Record(QStringLiteral("BGMVolumeRate"), {rate}); }
    bool PlaySE(const QString& name) override { return Record(QStringLiteral("PlaySE"), {name}); }
    bool StopSE() override { return Record(QStringLiteral("StopSE")); }
    bool PlaySELoop(const QString& name, qint32 number) override {
        return Record(QStringLiteral("PlaySELoop"), {name, number});
    }
    bool StopSELoop() override { return Record(QStringLiteral("StopSELoop")); }
    bool PlayCV(const QString& name, qint32 pan) override {
        const bool played = Record(QStringLiteral("PlayCV"), {name, pan});
        soLength = played ? voiceLength : 0;
        return played;
    }
    bool StopCV() override { return Record(QStringLiteral("StopCV")); }
    bool IsPlayingCV() override { return cvPlaying; }
    qint32 SOLength() const override { return soLength; }
    void ResetSOLength() override { soLength = 0; }

    bool BoolSetting(const QString& key) const override { return boolSettings.value(key); }
    qint32 LongSetting(const QString& key) const override { return longSettings.value(key); }
    int GetIndexByCID(const QString& cid) const override { return charIndex.value(cid, -1); }
    bool CharVoiceEnabled(int index) const override { return !voiceOff.contains(index); }
    bool CharIsMale(const QString& cid) const override { return male.contains(cid); }

    // The recorded calls whose name starts with the prefix.
    QStringList CallsOf(const QString& prefix) const {
        QStringList found;
        for (const QString& call : calls) {
            if (call.startsWith(prefix + QLatin1Char('('))) {
                found.append(call);
            }
        }
        return found;
    }

    bool debugMode = true;
    bool answerYes = false;
    bool closing = false;
    bool skipMode = false;
    bool replayMode = false;
    bool formActive = true;
    bool ctrlDown = false;
    bool drawActive = true;
    bool eventEnabled = true;
    std::vector<bool> eventSwitches;
    int namePlate = 0;  // the plate row the text window shows  // every SetEventEnabled, in order
    bool cursorVisible = true;
    bool textVisible = false;
    bool waitCancelEnabled = false;
    bool cvPlaying = false;
    qint32 filmSet = 2;
    qint32 choices = 0;
    qint32 soLength = 0;
    qint32 voiceLength = 0;  // the length a played voice reports
    int closeRequests = 0;
    int logSaves = 0;
    int yields = 0;
    int closeAfterYields = 0;
    QString bgName;
    QString pageText;
    QStringList messages;
    QStringList log;
    QStringList menus;
    QStringList calls;
    QStringList conversions;
    QSet<QString> failing;
    QList<QPair<qint32, qint32>> autoClicks;
    QHash<QString, bool> boolSettings;
    QHash<QString, qint32> longSettings;
    QHash<QString, qint32> charX;
    QHash<QString, int> charIndex;
    QSet<int> voiceOff;
    QSet<QString> male;

private:
    bool Record(const QString& name, const QVariantList& args = {}) {
        QStringList parts;
        for (const QVariant& arg : args) {
            parts.append(arg.typeId() == QMetaType::Bool
                             ? (arg.toBool() ? QStringLiteral("true") : QStringLiteral("false"))
                             : arg.toString());
        }
        calls.append(name + QLatin1Char('(') + parts.join(QLatin1Char(',')) + QLatin1Char(')'));
        return !failing.contains(name);
    }
};
