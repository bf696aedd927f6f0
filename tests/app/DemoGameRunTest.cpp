// Plays the bundled demo game games/demo through the real varo program,
// headless: from the logo to the ending roll and back to the title along both
// choices, with a saved game loaded on the way, then the extras it unlocked;
// and the same game packed into .oska archives by `varo oska pack`.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

#include "EngineRunFixture.h"
#include "GoldenImage.h"

namespace {

// Game-screen spots of the demo's layout (games/demo/README.txt).
constexpr const char* kAside = "100 200";  // on no button
constexpr const char* kTitleStart = "536 254";
constexpr const char* kTitleLoad = "536 346";
constexpr const char* kTitleExtras = "536 392";
constexpr const char* kOnMii = "330 240";
constexpr const char* kChoiceSea = "320 162";
constexpr const char* kChoiceForest = "320 214";
constexpr const char* kQuickSave = "394 461";
constexpr const char* kLogVoice2 = "552 280";
constexpr const char* kSaveSlot0 = "188 146";
constexpr const char* kLoadSlot0 = "268 146";
constexpr const char* kReplayButton = "168 28";
constexpr const char* kSeaPanel = "200 147";
constexpr const char* kTownPanel = "440 147";
constexpr const char* kSeaReplayPanel = "200 215";
constexpr const char* kForestReplayPanel = "440 215";
constexpr const char* kMusicButton = "272 28";
constexpr const char* kSecondTrackPanel = "440 126";
// Date and time of slot 0 on the slot screen: the clock of the machine.
const QRect kSlot0Clock(14 + 138, 56 + 10, 156, 36);

// Clicks on no button, each followed by a wait long enough for the longest
// transition and text reveal of the demo.
QString clicks(int count, int waitMs = 4000) {
    QString input;
    for (int i = 0; i < count; ++i) {
        input += QStringLiteral("click %1\nwait %2\n").arg(kAside).arg(waitMs);
    }
    return input;
}

QString clickAt(const char* spot, int waitMs) {
    return QStringLiteral("click %1\nwait %2\n").arg(spot).arg(waitMs);
}

// The logo (clicked away), the title menu and a new game, to the first message.
QString toTheFirstMessage() {
    return QStringLiteral("wait 2000\nclick 320 240\nwait 3000\nshot title\nmove %1\nwait 200\n")
               .arg(kTitleStart) +
           clickAt(kTitleStart, 4000);
}

// From the first message to the choice: nine messages, Mii's scenario button
// (pointer over her, then a click), six more messages.
QString toTheChoice() {
    return clicks(3) + QStringLiteral("shot window_page\n") + clicks(6) +
           QStringLiteral("move %1\nwait 1000\nshot mii_pointed\n").arg(kOnMii) +
           clickAt(kOnMii, 4000) + clicks(6);
}

// From the first message after the choice to the title: the route's scene
// (four messages), the novel chapter (five), the movie, the town, the
// ending roll and the last message. The back-log opens on the route's third
// message and replays a voice.
QString fromTheRouteToTheTitle() {
    QString input = clicks(2);
    input += QStringLiteral("wheel up\nwait 2000\nshot back_log\n") + clickAt(kLogVoice2, 4000) +
             QStringLiteral("wheel down\nwait 2000\n");
    input += clicks(2) + QStringLiteral("shot novel\n") + clicks(5);
    input += clicks(1, 6000) + clicks(2, 7000) + clicks(1, 32000);
    return input + QStringLiteral("shot last_page\n") + clicks(1);
}

class DemoGameRun : public EngineRun {
protected:
    // games/demo as it is committed: what a player's own run left there is not copied.
    void copyDemo(const QString& to = QStringLiteral("game")) {
        const QDir source(QStringLiteral(VARO_SOURCE_DIR "/games/demo"));
        QDirIterator files(source.path(), QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString relative = source.relativeFilePath(files.next());
            if (relative.startsWith(QStringLiteral("savedata/")) ||
                relative.startsWith(QStringLiteral("log/"))) {
                continue;
            }
            QFile file(source.filePath(relative));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << relative.toStdString();
            dir.write(to + QLatin1Char('/') + relative, file.readAll());
        }
    }
    // Plays another game folder of the test folder with the input script.
    QStringList playIn(const QString& game, const QString& input) {
        dir.write(game + QStringLiteral("-input.txt"), input.toUtf8());
        const ProgramRun run = RunVaro({dir.file(game), "--headless", "--input",
                                        dir.file(game + QStringLiteral("-input.txt")), "--trace",
                                        dir.file(game + QStringLiteral("-trace.txt")), "--shots",
                                        dir.file(game + QStringLiteral("-shots"))});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return QString::fromUtf8(dir.read(game + QStringLiteral("-trace.txt")))
            .split(u'\n', Qt::SkipEmptyParts);
    }
    QImage shotOf(const QString& game, const QString& name) const {
        return QImage(dir.file(game + QStringLiteral("-shots/") + name + QStringLiteral(".png")));
    }
    std::string traceText() const { return trace.join(u'\n').toStdString(); }

    // The events with the address taken out of each executed instruction:
    // "exec main 61 let\troute\tsea" becomes "exec main let\troute\tsea".
    QStringList flow() const {
        QStringList result;
        for (const QString& event : events()) {
            result << (event.startsWith(QStringLiteral("exec "))
                           ? event.section(u' ', 0, 1) + QLatin1Char(' ') + event.section(u' ', 3)
                           : event);
        }
        return result;
    }
    ::testing::AssertionResult flowsInOrder(const QStringList& wanted) const {
        const QStringList all = flow();
        qsizetype at = 0;
        for (const QString& line : wanted) {
            at = all.indexOf(line, at);
            if (at < 0) {
                return ::testing::AssertionFailure()
                       << "missing or out of order: " << line.toStdString();
            }
            ++at;
        }
        return ::testing::AssertionSuccess();
    }
    // Addresses of the script's instructions that the run executed.
    QSet<int> executedAddresses(const QString& script) const {
        QSet<int> addresses;
        for (const QString& event : events()) {
            if (event.startsWith(QStringLiteral("exec ") + script + QLatin1Char(' '))) {
                addresses.insert(event.section(u' ', 2, 2).toInt());
            }
        }
        return addresses;
    }
    // How many instructions the game's scenario assembles to.
    int instructionCount(const QString& script) {
        const ProgramRun run = RunVaro(
            {"asm", dir.file("game/scenario/" + script + ".txt"), "--game", dir.file("game")});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return static_cast<int>(QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts).size());
    }
    // The sounds of the game's sound folder that the run never started.
    QStringList soundsNeverPlayed() const {
        QStringList silent;
        const QStringList played = events().filter(QStringLiteral("sound play "));
        for (const QString& file : QDir(dir.file("game/sound")).entryList(QDir::Files)) {
            const QString name = file.section(u'.', 0, 0);
            const bool heard = std::any_of(played.begin(), played.end(), [&](const QString& e) {
                return e.section(u' ', 3) == name;
            });
            if (!heard) {
                silent << name;
            }
        }
        return silent;
    }

    static QImage withoutSlotClock(QImage image) {
        QPainter painter(&image);
        painter.fillRect(kSlot0Clock, Qt::magenta);
        return image;
    }

    // The packed game: the documents and scenarios, the pictures and the
    // sounds each in an archive of their own, the movie loose. In an archive a
    // picture's transparency is a mask picture of its own, NAME-m (white
    // opaque, black transparent), so each transparent PNG gets one.
    void packDemo() {
        const QString game = dir.file("game");
        for (const QString& document :
             QDir(game).entryList({QStringLiteral("*.ini")}, QDir::Files)) {
            if (document != QStringLiteral("debug.ini")) {
                dir.write("stage/data/" + document, dir.read("game/" + document));
            }
        }
        for (const QString& scenario : QDir(game + "/scenario").entryList(QDir::Files)) {
            dir.write("stage/data/scenario/" + scenario, dir.read("game/scenario/" + scenario));
        }
        for (const QString& picture : QDir(game + "/image").entryList(QDir::Files)) {
            dir.write("stage/image/" + picture, dir.read("game/image/" + picture));
            const QImage image(dir.file("game/image/" + picture));
            if (picture.endsWith(QStringLiteral(".png")) && image.hasAlphaChannel()) {
                writeMask(image, dir.file("stage/image/" + picture.chopped(4) + "-m.png"));
            }
        }
        for (const QString& sound : QDir(game + "/sound").entryList(QDir::Files)) {
            dir.write("stage/sound/" + sound, dir.read("game/sound/" + sound));
        }
        for (const QString& movie : QDir(game + "/movie").entryList(QDir::Files)) {
            dir.write("packed/movie/" + movie, dir.read("game/movie/" + movie));
        }
        for (const char* archive : {"data", "image", "sound"}) {
            const ProgramRun pack =
                RunVaro({"oska", "pack", dir.file(QStringLiteral("stage/") + archive),
                         dir.file(QStringLiteral("packed/") + archive + QStringLiteral(".oska"))});
            ASSERT_EQ(pack.exitCode, 0) << archive << ": " << pack.err.toStdString();
        }
        dir.write("packed/debug.ini", "[Folder]\r\nmovie=movie\r\n");
    }
    static void writeMask(const QImage& picture, const QString& path) {
        QImage mask(picture.size(), QImage::Format_Grayscale8);
        const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < argb.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
            uchar* out = mask.scanLine(y);
            for (int x = 0; x < argb.width(); ++x) {
                out[x] = static_cast<uchar>(qAlpha(line[x]));
            }
        }
        ASSERT_TRUE(mask.save(path, "PNG")) << path.toStdString();
    }
};

// Both routes, the save before the choice and its load after the first
// ending, a quick save, then the extras screen: the gallery, both scene
// replays and a track of the music room.
QString bothRoutesAndTheExtras() {
    QString input = toTheFirstMessage() + toTheChoice();
    input +=
        QStringLiteral("menu file!saveload\nwait 2000\nanswer yes\n") + clickAt(kSaveSlot0, 2000);
    input += QStringLiteral("shot save_slots\nrclick 320 240\nwait 2000\nshot choices\n");
    input += clickAt(kChoiceSea, 4000) + fromTheRouteToTheTitle();
    input += QStringLiteral("click 320 240\nwait 3000\n") + clickAt(kTitleLoad, 3000);
    input += QStringLiteral("answer yes\n") + clickAt(kLoadSlot0, 3000) +
             QStringLiteral("shot loaded\n");
    input += clickAt(kChoiceForest, 4000) + clicks(1) + clickAt(kQuickSave, 2000);
    input +=
        clicks(4) + clicks(6) + clicks(1, 6000) + clicks(2, 7000) + clicks(1, 32000) + clicks(1);
    input += QStringLiteral("click 320 240\nwait 3000\n") + clickAt(kTitleExtras, 3000);
    input += QStringLiteral("shot gallery\n") + clickAt(kSeaPanel, 3000) + clicks(1, 3000);
    input += clickAt(kTownPanel, 8000) + clicks(1, 3000);
    input += clickAt(kReplayButton, 3000) + clickAt(kSeaReplayPanel, 4000) + clicks(4);
    input += clickAt(kForestReplayPanel, 4000) + clicks(4);
    // The music room would play its track again and again: the run ends there.
    return input + clickAt(kMusicButton, 2000) + clickAt(kSecondTrackPanel, 2000) +
           QStringLiteral("quit\n");
}

}  // namespace

TEST_F(DemoGameRun, PlaysBothChoicesFromTheLogoToTheEndingRollAndBackWithASaveAndALoad) {
    copyDemo();
    play(0, bothRoutesAndTheExtras());

    EXPECT_TRUE(flowsInOrder({"mode 1 1",
                              "mode 2 6",
                              "exec main selecter",
                              "exec main select",
                              "mode 3 13",
                              "msgbox \"このスロットにセーブしますか。\" -> yes",
                              "mode 2 7",
                              "exec main let\troute\tsea",
                              "exec main mto\tbg_sea\trule_wipe\t1500",
                              "exec main textnovel",
                              "movie play hanabi.ogv",
                              "exec main wto\tcg_town",
                              "mode 4 14",
                              "mode 2 7",
                              "exec main restarttitle",
                              "mode 1 1",
                              "mode 3 12",
                              "msgbox \"このスロットのデータをロードしますか。\" -> yes",
                              "mode 2 7",
                              "exec main let\troute\tforest",
                              "exec main bto\tbg_forest",
                              "exec main dam\trule_circle\t1500",
                              "exec main textnovel",
                              "movie play hanabi.ogv",
                              "mode 4 14",
                              "mode 2 7",
                              "exec main restarttitle",
                              "mode 1 1",
                              "mode 5 0",
                              "mode 2 8",
                              "exec replay call\tmain.sea_scene",
                              "exec replay restartreplaymode",
                              "mode 5 0",
                              "mode 2 8",
                              "exec replay call\tmain.forest_scene",
                              "exec replay restartreplaymode",
                              "mode 5 0",
                              "exit 0"}))
        << traceText();
    // Back from the replays, the music room plays the track of its second panel.
    const QStringList extras = events().mid(events().lastIndexOf(QStringLiteral("mode 5 0")));
    EXPECT_EQ(extras.filter(QRegularExpression(QStringLiteral("^sound play bgm[01] bgm_morning$")))
                  .size(),
              1)
        << traceText();
    // The two routes and the replays together run every instruction of the scenarios.
    for (const QString& script : {QStringLiteral("main"), QStringLiteral("replay")}) {
        const int count = instructionCount(script);
        ASSERT_GT(count, 0);
        QSet<int> all;
        for (int address = 0; address < count; ++address) {
            all.insert(address);
        }
        EXPECT_EQ(all - executedAddresses(script), QSet<int>()) << script.toStdString();
    }
    // Only the two questions of the slot screen: no run-time error (debug.ini
    // shows each one in a message box).
    EXPECT_EQ(events().filter(QStringLiteral("msgbox")),
              QStringList({"msgbox \"このスロットにセーブしますか。\" -> yes",
                           "msgbox \"このスロットのデータをロードしますか。\" -> yes"}));
    EXPECT_EQ(soundsNeverPlayed(), QStringList());
    // The back-log replays the voice of its third block.
    EXPECT_TRUE(inOrder({"shot back_log", "sound play cv yui005"})) << traceText();
    EXPECT_TRUE(dir.exists("game/savedata/sd01-00.ini"));
    EXPECT_TRUE(dir.exists("game/savedata/sd01-00.bmp"));
    EXPECT_TRUE(dir.exists("game/savedata/sd99-00.ini"));  // the quick save

    // The loaded game stands where it was saved.
    EXPECT_EQ(DifferingPixels(shot("choices"), shot("loaded")), 0);
    EXPECT_TRUE(MatchesGoldenImage(shot("title"), "app", "demo_title", 2));
    EXPECT_TRUE(MatchesGoldenImage(shot("window_page"), "app", "demo_window_page", 2));
    EXPECT_TRUE(
        MatchesGoldenImage(withoutSlotClock(shot("save_slots")), "app", "demo_save_slots", 2));
    EXPECT_TRUE(MatchesGoldenImage(shot("novel"), "app", "demo_novel_page", 2));
    EXPECT_TRUE(MatchesGoldenImage(shot("gallery"), "app", "demo_extras_gallery", 2));
}

TEST_F(DemoGameRun, PackedIntoArchivesItPlaysTheSameAsTheLooseFiles) {
    copyDemo();
    packDemo();
    const QString input = toTheFirstMessage() + toTheChoice() + QStringLiteral("shot choices\n") +
                          clickAt(kChoiceSea, 4000) + fromTheRouteToTheTitle();
    const QStringList loose = playIn(QStringLiteral("game"), input);
    const QStringList packed = playIn(QStringLiteral("packed"), input);

    // The log tells where each file came from; every other event is the same.
    const auto withoutLog = [](const QStringList& lines) {
        QStringList kept;
        for (const QString& line : lines) {
            if (!line.section(u' ', 1).startsWith(QStringLiteral("log "))) {
                kept << line;
            }
        }
        return kept;
    };
    EXPECT_TRUE(withoutLog(loose).contains(QStringLiteral("t=1 mode 1 1")));
    EXPECT_EQ(withoutLog(loose).filter(QStringLiteral(" mode 4 14")).size(), 1);
    EXPECT_EQ(withoutLog(packed), withoutLog(loose));
    EXPECT_FALSE(packed.filter(QStringLiteral(" from archive")).isEmpty());
    EXPECT_TRUE(packed.filter(QStringLiteral(" from png file")).isEmpty());
    EXPECT_TRUE(packed.filter(QStringLiteral(" from file")).isEmpty());
    for (const char* name :
         {"title", "window_page", "mii_pointed", "choices", "novel", "last_page"}) {
        EXPECT_EQ(DifferingPixels(shotOf(QStringLiteral("game"), name),
                                  shotOf(QStringLiteral("packed"), name)),
                  0)
            << name;
    }
}
