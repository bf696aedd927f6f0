#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <map>
#include <optional>
#include <utility>

#include "DovTestMedia.h"
#include "TestSupport.h"
#include "app/clsVaro.h"
#include "base/AppState.h"
#include "data/clsSaveData.h"
#include "modes/clsModeGame.h"
#include "modes/clsModeTitle.h"
#include "platform/os/Cp932Codec.h"
#include "platform/os/VirtualClock.h"
#include "scenario/InstructionTable.h"
#include "scenario/clsInterpreter.h"
#include "screen/clsEventRects.h"
#include "screen/clsGameView.h"
#include "screen/clsKestDriver.h"

// The minimal test game made playable and opened in this process on a virtual
// clock, in its title menu: an instruction table, a message window with window
// buttons and choices, a back-log layout, small pictures and sounds, and loose
// scenario files (debug.ini switches the file modes on).
class GameModeFixture : public ::testing::Test {
protected:
    using RectPtr = clsEventRects::RectPtr;
    using FilmProp = KestLibrary::FilmProp;

    // The seven game menu items, in the order the game view lists them.
    static constexpr const char* kMenuItems[] = {"file!saveload", "file!qsave",   "file!qload",
                                                 "file!title",    "message!skip", "message!auto",
                                                 "message!log"};
    static inline const QString kAllGameMenus = QStringLiteral(
        "file!saveload,file!qsave,file!qload,file!title,message!skip,message!auto,message!log");
    // The logo of the test game's title: revealed over a second, gone 1 ms later.
    static constexpr qint64 kLogoMs = 1100;
    static inline const QString kReplayMenus =
        QStringLiteral("file!title,message!skip,message!auto,message!log");

    void SetUp() override {
        ASSERT_TRUE(CopyTestGame(dir, QStringLiteral("minimal")));
        App().AppDir = dir.path();
        App().SaveDir = dir.file(QStringLiteral("savedata"));
        App().EngineClosing = false;
        writeGame();
        ASSERT_TRUE(player.launcher.Init());
        player.launcher.OpenVaro();
        ASSERT_NE(player.launcher.Varo(), nullptr);
        pumpFor(10);
        ASSERT_EQ(varo().VaroMode(), clsVaro::kModeTitle);
        // The title's logo gives way to its menu (the test game's has no buttons).
        pumpFor(kLogoMs);
        ASSERT_EQ(varo().ModeObject()->SubStatus(), clsModeTitle::kMenuShown);
    }
    void TearDown() override {
        player.launcher.ExitApp();
        App().Archives = nullptr;
        App().EngineClosing = false;
        App().ResetSwitchesAndFolders();
    }

    // Keys added to section "Game" of the system information.
    virtual QString GameKeys() const {
        return QStringLiteral("EntryPoint=main.start\r\nLogBlockPrefix=＊\r\n");
    }
    // Keys added to section "debug" of debug.ini.
    virtual QString DebugKeys() const { return QString(); }

    // ---- the game folder

    void writeGame() {
        QByteArray info = dir.read(QStringLiteral("SystemInfo.ini"));
        info.replace("[Game]\r\n", "[Game]\r\n" + Cp932Codec::encode(GameKeys()));
        info += Cp932Codec::encode(
            QStringLiteral("\r\n[TextBlock]\r\nCharCount=20\r\nLineCount=3\r\n") +
            InstructionTable() + QStringLiteral("[var]\r\nr=0\r\ns=0\r\n"));
        dir.write(QStringLiteral("SystemInfo.ini"), info);
        dir.write(QStringLiteral("debug.ini"),
                  Cp932Codec::encode(QStringLiteral("[debug]\r\nScenarioFileMode=True\r\n"
                                                    "CGFileMode=True\r\nSoundFileMode=True\r\n"
                                                    "DrawActivity=True\r\n") +
                                     DebugKeys()));
        dir.write(QStringLiteral("game_mode.ini"), Cp932Codec::encode(GameModeLayout()));
        writePictures();
        sound(QStringLiteral("click"), tone(40));
        sound(QStringLiteral("point"), tone(40));
        writeModeDocuments();
    }
    // Documents and pictures of further modes, written before the engine starts.
    virtual void writeModeDocuments() {}

    static QString GameModeLayout() {
        QString text = QStringLiteral(
            "[Base]\r\nSaveMenuEnabled=True\r\nClickSE=click\r\nPointSE=point\r\n"
            "[WindowMode]\r\nBack=wnd.png,0,380\r\nText=,20,390,560,80\r\n"
            "TextShadow=,21,391,560,80\r\nWaitCursor=cur.png,600,440,8,8,100\r\n"
            "ChoiceFrame=choice.png,170,0,300,30\r\nChoiceText=,180,4,280,24\r\n"
            "ChoiceSpace=40\r\nChoiceCenter=200\r\n"
            "Buttons=save,load,log,auto,skip\r\n");
        const char* keys[] = {"save", "load", "log", "auto", "skip"};
        for (int i = 0; i < 5; ++i) {
            text += QStringLiteral("%1=btn.png,%2,460,30,10\r\n").arg(keys[i]).arg(400 + 40 * i);
        }
        text += QStringLiteral(
            "[LogMode]\r\nBack=log_bk.png,0,0\r\n"
            "Buttons=pageup,rollup,rolldown,pagedown,return\r\n");
        const char* moves[] = {"pageup", "rollup", "rolldown", "pagedown", "return"};
        for (int i = 0; i < 5; ++i) {
            text +=
                QStringLiteral("%1=log_btn.png,600,%2,20,20\r\n").arg(moves[i]).arg(40 + 40 * i);
        }
        for (int block = 0; block < 4; ++block) {
            text += QStringLiteral("Text%1=,40,%2,500,90\r\nVoice%1=log_cv.png,560,%2,16,16\r\n")
                        .arg(block)
                        .arg(20 + 110 * block);
        }
        return text;
    }

    // Pictures of one cell column: cell rows of the given colours, top to bottom.
    void picture(const QString& name, QSize cell, std::initializer_list<QColor> rows,
                 int columns = 1) {
        QImage image(cell.width() * columns, cell.height() * static_cast<int>(rows.size()),
                     QImage::Format_ARGB32);
        QPainter painter(&image);
        int row = 0;
        for (const QColor& colour : rows) {
            painter.fillRect(0, cell.height() * row++, image.width(), cell.height(), colour);
        }
        painter.end();
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        dir.write(QStringLiteral("image/") + name, png);
    }
    void writePictures() {
        picture(QStringLiteral("wnd.png"), QSize(640, 100), {QColor(20, 20, 80)});
        picture(QStringLiteral("cur.png"), QSize(8, 8), {Qt::white}, 2);
        picture(QStringLiteral("btn.png"), QSize(30, 10), {Qt::gray, Qt::white});
        picture(QStringLiteral("choice.png"), QSize(300, 30), {Qt::darkBlue, Qt::blue});
        picture(QStringLiteral("log_bk.png"), QSize(640, 480), {Qt::black});
        picture(QStringLiteral("log_cv.png"), QSize(16, 16), {Qt::darkGreen, Qt::green}, 2);
        picture(QStringLiteral("log_btn.png"), QSize(20, 20), {Qt::darkRed, Qt::red});
        picture(QStringLiteral("st_a_1.png"), QSize(60, 120), {Qt::yellow});
    }

    // Ogg tones are made once per process.
    static const QByteArray& tone(int ms, int rate = 22050) {
        static std::map<std::pair<int, int>, QByteArray> made;
        QByteArray& bytes = made[{ms, rate}];
        if (bytes.isEmpty()) {
            bytes = dovtest::toneOgg(ms, rate, 1);
        }
        return bytes;
    }
    void sound(const QString& name, const QByteArray& bytes) {
        ASSERT_FALSE(bytes.isEmpty());
        dir.write(QStringLiteral("sound/") + name + QStringLiteral(".ogg"), bytes);
    }
    void scenario(const QString& name, const QString& text) {
        dir.write(QStringLiteral("scenario/") + name + QStringLiteral(".txt"),
                  Cp932Codec::encode(text));
    }

    // ---- the engine

    clsVaro& varo() { return *player.launcher.Varo(); }
    clsGameView& view() { return varo().GameView(); }
    clsKestDriver& kest() { return varo().Kest(); }
    clsModeGame* game() { return dynamic_cast<clsModeGame*>(varo().ModeObject()); }
    std::int32_t waitMode() { return varo().Intprt().WaitMode(); }
    QString var(const QString& name) { return varo().SD().Var().KeyValue(name); }
    VirtualClock& clock() { return static_cast<VirtualClock&>(player.platform.clock()); }

    // Lets `ms` of virtual time pass, every timer firing at its time.
    void pumpFor(qint64 ms) {
        const qint64 until = clock().now() + ms;
        clock().pump();
        while (clock().now() < until) {
            const std::optional<qint64> due = clock().nextDue();
            const qint64 next =
                due && *due > clock().now() ? std::min(*due, until) : clock().now() + 1;
            clock().sleep(static_cast<int>(next - clock().now()));
            clock().pump();
        }
    }

    // Starts the game mode and lets the first step run.
    void startGame(std::int32_t subMode = clsModeGame::kSubNewGame, const QVariant& arg = {}) {
        varo().ChangeMode(clsVaro::kModeGame, subMode, arg);
        pumpFor(5);
    }
    void command(std::int32_t code, const RectPtr& rect = nullptr) {
        view().RaiseScreenCmd(code, rect);
        pumpFor(5);
    }
    void click(const RectPtr& rect = nullptr) { command(clsGameView::kCmdPrimary, rect); }
    void rightClick() { command(clsGameView::kCmdSecondary); }
    void pointAt(const RectPtr& rect) { command(clsGameView::kCmdPointer, rect); }

    RectPtr windowButton(const QString& key) {
        for (const RectPtr& rect : view().EvRects().NewEnum()) {
            if (rect->TagName == QLatin1String("wndbutton") && rect->Text4 == key) {
                return rect;
            }
        }
        return nullptr;
    }
    RectPtr rectOf(const QString& tagName, std::int32_t tag = -1) {
        return view().EvRects().GetRectByTag(tagName, tag);
    }
    int rectCount(const QString& tagName) { return view().EvRects().CountByTag(tagName); }
    qint32 filmInt(KestLibrary::FilmId film, FilmProp prop) {
        qint32 value = -12345;
        kest().Library().GetFilmProp(film, prop, value);
        return value;
    }

    // The enabled game menu items, joined by ",".
    QString enabledMenus() {
        QStringList enabled;
        for (const char* tag : kMenuItems) {
            const QAction* item = view().MenuItem(QLatin1String(tag));
            if (item != nullptr && item->isEnabled()) {
                enabled << QLatin1String(tag);
            }
        }
        return enabled.join(u',');
    }

    // ---- the trace

    // Trace events (without their time) that start with `prefix`.
    QStringList events(const QString& prefix) const {
        QStringList found;
        for (const QString& line : player.platform.trace().lines()) {
            const QString event = line.section(u' ', 1);
            if (event.startsWith(prefix)) {
                found << event;
            }
        }
        return found;
    }
    // The virtual time of the last trace event that starts with `prefix`; -1 if none.
    qint64 lastTimeOf(const QString& prefix) const {
        qint64 time = -1;
        for (const QString& line : player.platform.trace().lines()) {
            if (line.section(u' ', 1).startsWith(prefix)) {
                time = line.section(u' ', 0, 0).mid(2).toLongLong();
            }
        }
        return time;
    }
    // The texts of the message boxes shown, in order.
    QStringList messages() const {
        QStringList texts;
        for (const QString& event : events(QStringLiteral("msgbox \""))) {
            texts << event.mid(8, event.lastIndexOf(QStringLiteral("\" -> ")) - 8);
        }
        return texts;
    }
    // Sound effects started with that name.
    int effectsPlayed(const QString& name) const {
        int count = 0;
        for (const QString& event : events(QStringLiteral("sound play se"))) {
            count += event.endsWith(QLatin1Char(' ') + name) ? 1 : 0;
        }
        return count;
    }
    // Voices started, in order.
    QStringList voicesPlayed() const {
        QStringList names;
        for (const QString& event : events(QStringLiteral("sound play cv "))) {
            names << event.section(u' ', 3);
        }
        return names;
    }

    TempFolder dir;
    mutable ScriptedPlayer player;
};
