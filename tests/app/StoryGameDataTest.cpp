#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <map>
#include <vector>

#include "TestSupport.h"
#include "app/clsVaro.h"
#include "base/AppState.h"
#include "base/stdHelpers.h"
#include "data/INIFile.h"
#include "data/INISection.h"
#include "data/stdINI.h"
#include "media/clsDovDriver.h"
#include "platform/os/VirtualClock.h"
#include "scenario/ScenarioConverter.h"
#include "scenario/Script.h"
#include "scenario/clsInterpreter.h"
#include "screen/ItemSpec.h"
#include "screen/clsKestDriver.h"

// The story test game (tests/games/story) is the data of the end-to-end tests
// of the game mode. These checks find a broken game before those tests do:
// its documents start the engine, its scenarios assemble with its own settings
// and use only its own instructions and labels, and every picture, sound,
// voice and movie it names is there and loads.

namespace {

const QString kGame = QStringLiteral(VARO_SOURCE_DIR "/tests/games/story");

// Copies the game with its scenario, picture, sound and movie folders.
bool copyWholeGame(const TempFolder& dir) {
    QDirIterator files(kGame, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (!file.open(QIODevice::ReadOnly)) {
            return false;
        }
        dir.write(QDir(kGame).relativeFilePath(file.fileName()), file.readAll());
    }
    return true;
}

QString unquoted(const QString& word) {
    return word.size() >= 2 && word.startsWith(QLatin1Char('"')) && word.endsWith(QLatin1Char('"'))
               ? word.mid(1, word.size() - 2)
               : word;
}

// Where each name is used; a missing name is reported where it is read.
void addNamed(std::map<QString, QString>& named, const QString& name, const QString& where) {
    if (!name.isEmpty()) {
        named[name] = where;
    }
}

bool isDefaultMark(const QString& word) {
    return word.isEmpty() || word == QLatin1String("%");
}

// Words of an instruction that name something, by instruction word.
struct NamedWords {
    std::map<QString, std::vector<int>> pictures;
    std::map<QString, std::vector<int>> sounds;
    std::map<QString, std::vector<int>> labels;
};

const NamedWords& namedWords() {
    static const NamedWords words{
        {{"bg", {1}},
         {"cg", {1}},
         {"fc", {1}},
         {"wto", {1}},
         {"bto", {1}},
         {"mto", {1, 2}},
         {"dam", {1}},
         {"playending", {2, 3, 4}}},
        {{"bgm", {1}}, {"se", {1}}, {"sel", {1}}},
        {{"go", {1}},
         {"call", {1}},
         {"if", {2, 3}},
         {"item", {2}},
         {"er", {5, 6}},
         {"ercg", {2, 3}}},
    };
    return words;
}

// The layout keys of the game mode document that hold pictures, and the keys
// that list buttons.
const std::map<QString, QStringList>& layoutPictureKeys() {
    static const std::map<QString, QStringList> keys{
        {QStringLiteral("WindowMode"),
         {"Back", "Frame", "Nameplate", "State", "WaitCursor", "ChoiceFrame"}},
        {QStringLiteral("NovelMode"), {"Back", "WaitCursor"}},
        {QStringLiteral("LogMode"), {"Back", "Voice0", "Voice1", "Voice2", "Voice3"}},
    };
    return keys;
}

class StoryGameDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(copyWholeGame(dir));
        App().AppDir = dir.path();
        App().SaveDir = dir.file(QStringLiteral("savedata"));
        App().EngineClosing = false;
        ASSERT_TRUE(player.launcher.Init());
        player.launcher.OpenVaro();
        ASSERT_NE(player.launcher.Varo(), nullptr);
        clock().sleep(10);
        clock().pump();
    }
    void TearDown() override {
        App().EngineClosing = false;
        player.launcher.ExitApp();
        App().Archives = nullptr;
        App().ResetSwitchesAndFolders();
    }

    clsVaro& varo() { return *player.launcher.Varo(); }
    VirtualClock& clock() { return static_cast<VirtualClock&>(player.platform.clock()); }

    static QStringList scenarioNames() {
        QStringList names;
        for (const QString& file :
             QDir(kGame + QStringLiteral("/scenario")).entryList({"*.txt"}, QDir::Files)) {
            names << QFileInfo(file).completeBaseName();
        }
        return names;
    }

    std::shared_ptr<Script> script(const QString& name) {
        return varo().Intprt().Scripts().GetScript(name, false);
    }

    // Whether a label expression (LABEL, SCRIPT.LABEL or an address) leads somewhere.
    bool leadsSomewhere(const QString& expression, const std::shared_ptr<Script>& current) {
        const QStringList parts = expression.toLower().split(QLatin1Char('.'));
        const std::shared_ptr<Script> target = parts.size() == 2 ? script(parts.first()) : current;
        if (parts.size() > 2 || target == nullptr) {
            return false;
        }
        bool numeric = false;
        const int address = parts.last().toInt(&numeric);
        return numeric ? address >= 0 && address < target->Count()
                       : target->LabelAddress(parts.last()) >= 0;
    }

    QString gamemodeValue(const QString& section, const QString& key) {
        return varo().GamemodeInfo().KeySection(section).KeyValue(key);
    }

    // Every name the scenarios give to a picture, sound, voice, movie or label,
    // with where it was found; scenarios that cannot be loaded and lines that
    // cannot be decoded are listed instead.
    void collectNames() {
        for (const QString& name : scenarioNames()) {
            const std::shared_ptr<Script> lines = script(name);
            if (lines == nullptr) {
                unloadable << name;  // shown by the assembly check
                continue;
            }
            for (qint32 address = 0; address < lines->Count(); ++address) {
                const QString where = name + QLatin1Char('.') + QString::number(address);
                QStringList words;
                QString error;
                if (!varo().Intprt().DecodeInstruction(lines->Element(address), words, error)) {
                    undecodable << where + QStringLiteral(": ") + error;
                    continue;
                }
                collectFrom(words, where, lines);
            }
        }
    }

    void collectFrom(const QStringList& words, const QString& where,
                     const std::shared_ptr<Script>& current) {
        const QString& word = words.first();
        auto take = [&](const std::map<QString, std::vector<int>>& table, auto add) {
            const auto found = table.find(word);
            if (found == table.end()) {
                return;
            }
            for (const int index : found->second) {
                if (!isDefaultMark(words.value(index))) {
                    add(words.value(index));
                }
            }
        };
        take(namedWords().pictures, [&](const QString& name) { pictures[name] = where; });
        take(namedWords().sounds, [&](const QString& name) { sounds[name] = where; });
        take(namedWords().labels, [&](const QString& label) {
            if (!leadsSomewhere(label, current)) {
                deadLabels << where + QStringLiteral(": ") + label;
            }
        });
        if (word == QLatin1String("put")) {
            for (const QString& voice : voicesOf(unquoted(words.value(1)))) {
                voices[voice] = where;
            }
        }
        if (word == QLatin1String("playmovie")) {
            movies[unquoted(words.value(1))] = where;
        }
    }

    // The voice codes of a message, read as the back-log reads them.
    QStringList voicesOf(const QString& message) {
        QString rest;
        QString voice;
        bool wait = true;
        varo().Kest().ConvertMessageText(message, rest, wait, voice, 0);
        return voice.isEmpty() ? QStringList() : voice.split(QLatin1Char(','));
    }

    TempFolder dir;
    ScriptedPlayer player;
    QStringList unloadable;
    QStringList undecodable;
    QStringList deadLabels;
    std::map<QString, QString> pictures;  // name -> where it is used
    std::map<QString, QString> sounds;
    std::map<QString, QString> voices;
    std::map<QString, QString> movies;
};

}  // namespace

TEST_F(StoryGameDataTest, DocumentsStartTheEngineStraightIntoTheGameMode) {
    const QStringList& trace = player.platform.trace().lines();
    const QRegularExpression failure(QStringLiteral(" msgbox |error|refused|unreadable|失敗"));
    for (const QString& line : trace) {
        EXPECT_FALSE(line.contains(failure)) << line.toStdString();
    }
    const QRegularExpression gameStart(QStringLiteral("^t=\\d+ mode 2 6$"));
    EXPECT_TRUE(trace.indexOf(gameStart) >= 0) << trace.join(QLatin1Char('\n')).toStdString();
}

TEST_F(StoryGameDataTest, ScenariosAssembleAndUseOnlyTheGamesInstructionsAndLabels) {
    collectNames();
    ScenarioConverter converter;
    ASSERT_TRUE(converter.Init(varo().SystemInfo()));
    const QStringList names = scenarioNames();
    EXPECT_TRUE(names.contains(QStringLiteral("main")) && names.contains(QStringLiteral("skip")))
        << names.join(QLatin1Char(',')).toStdString();
    for (const QString& name : names) {
        QString source;
        ASSERT_TRUE(
            stdHelpers::ReadTextFile(kGame + QStringLiteral("/scenario/") + name + ".txt", source));
        EXPECT_TRUE(converter.Assemble(source)) << converter.ErrorReport(name).toStdString();
    }
    EXPECT_TRUE(unloadable.isEmpty()) << unloadable.join(QLatin1Char(',')).toStdString();
    EXPECT_TRUE(undecodable.isEmpty()) << undecodable.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(deadLabels.isEmpty()) << deadLabels.join(QLatin1Char('\n')).toStdString();

    const QString entry = varo()
                              .SystemInfo()
                              .KeySection(QStringLiteral("Game"))
                              .KeyValue(QStringLiteral("EntryPoint"));
    EXPECT_TRUE(leadsSomewhere(entry, nullptr)) << entry.toStdString();
    EXPECT_TRUE(leadsSomewhere(QStringLiteral("skip.start"), nullptr));
    EXPECT_TRUE(leadsSomewhere(QStringLiteral("slots.start"), nullptr));
    EXPECT_TRUE(leadsSomewhere(QStringLiteral("ending.start"), nullptr));
}

TEST_F(StoryGameDataTest, EveryPictureOfTheScenariosAndLayoutsLoads) {
    collectNames();
    std::map<QString, QString> named = pictures;
    for (const auto& [section, keys] : layoutPictureKeys()) {
        for (const QString& key : keys) {
            const QString file = ParseItemSpec(gamemodeValue(section, key)).file;
            EXPECT_FALSE(file.isEmpty())
                << "no picture for " << section.toStdString() << "/" << key.toStdString();
            addNamed(named, file, section + QLatin1Char('/') + key);
        }
    }
    const std::map<QString, QStringList> buttonKeys{
        {QStringLiteral("WindowMode"), {"log", "save", "load", "auto", "skip"}},
        {QStringLiteral("LogMode"), {"pageup", "rollup", "rolldown", "pagedown", "return"}},
    };
    for (const auto& [section, expected] : buttonKeys) {
        const QStringList listed = gamemodeValue(section, QStringLiteral("Buttons")).split(',');
        for (const QString& key : expected) {
            EXPECT_TRUE(listed.contains(key))
                << section.toStdString() << " lacks " << key.toStdString();
            addNamed(named, ParseItemSpec(gamemodeValue(section, key)).file,
                     section + QLatin1Char('/') + key);
        }
    }
    ASSERT_GE(pictures.size(), 3U) << "the scenarios name too few pictures to be read right";

    for (const auto& [name, where] : named) {
        EXPECT_TRUE(varo().Kest().ProbePicture(name))
            << "picture '" << name.toStdString() << "' of " << where.toStdString();
    }
}

TEST_F(StoryGameDataTest, EverySoundVoiceAndMovieNamedIsThereAndPlays) {
    collectNames();
    std::map<QString, QString> named = sounds;
    named.insert(voices.begin(), voices.end());
    for (const char* key : {"PointSE", "ClickSE"}) {
        const QString sound = gamemodeValue(QStringLiteral("Base"), QLatin1String(key));
        EXPECT_FALSE(sound.isEmpty()) << key;
        addNamed(named, sound, QStringLiteral("Base/") + QLatin1String(key));
    }
    EXPECT_GE(voices.size(), 2U) << "the messages' voice codes were not found";
    EXPECT_FALSE(movies.empty());

    for (const auto& [name, where] : named) {
        EXPECT_TRUE(varo().Dov().PlaySE(name, 0))
            << "sound '" << name.toStdString() << "' of " << where.toStdString();
    }
    varo().Dov().StopSE();
    for (const auto& [file, where] : movies) {
        EXPECT_TRUE(varo().PlayMovie(App().MovieDir + QLatin1Char('\\') + file, 0))
            << "movie '" << file.toStdString() << "' of " << where.toStdString();
        varo().Dov().StopMovie();
    }
}

TEST_F(StoryGameDataTest, TheSlotScreenLayoutNamesPicturesAndSoundsThatLoad) {
    const std::unique_ptr<INIFile> layout = stdINI::LoadINIByKey(QStringLiteral("saveload_mode"));
    ASSERT_NE(layout, nullptr);
    const auto value = [&layout](const char* section, const QString& key) {
        return layout->KeySection(QLatin1String(section)).KeyValue(key);
    };
    std::map<QString, QString> named;
    for (const char* key : {"BGFromGame", "BGFromTitle"}) {
        addNamed(named, value("Base", QLatin1String(key)), QStringLiteral("Base/") + key);
    }
    QStringList buttons{QStringLiteral("Return")};
    const int pages = value("Button", QStringLiteral("PageNoCount")).toInt();
    EXPECT_EQ(pages, 3);
    for (int page = 0; page < pages; ++page) {
        buttons << QStringLiteral("PageNo%1").arg(page, 2, 10, QLatin1Char('0'));
    }
    for (const QString& key : buttons) {
        addNamed(named, ParseItemSpec(value("Button", key)).file, QStringLiteral("Button/") + key);
    }
    for (const char* key : {"Base", "Save", "Load"}) {
        addNamed(named, ParseItemSpec(value("SlotBase", QLatin1String(key))).file,
                 QStringLiteral("SlotBase/") + key);
    }
    EXPECT_EQ(named.size(), 9U);
    for (const auto& [name, where] : named) {
        EXPECT_TRUE(varo().Kest().ProbePicture(name))
            << "picture '" << name.toStdString() << "' of " << where.toStdString();
    }
    for (const char* key : {"PointSE", "ClickSE"}) {
        EXPECT_TRUE(varo().Dov().PlaySE(value("Base", QLatin1String(key)), 0)) << key;
    }
    varo().Dov().StopSE();
    // Save previews are made at the thumbnail's size.
    const ItemSpec thumb = ParseItemSpec(value("SlotBase", QStringLiteral("Thumb")));
    EXPECT_EQ(varo().ThumbSize(), QSize(thumb.width, thumb.height));
    EXPECT_FALSE(varo().ThumbSize().isEmpty());
}

TEST_F(StoryGameDataTest, TheTitleNamesOnlyPicturesAndSoundsThatLoad) {
    const std::unique_ptr<INIFile> title = stdINI::LoadINIByKey(QStringLiteral("title_mode"));
    ASSERT_NE(title, nullptr);
    const auto value = [&title](const char* section, const QString& key) {
        return title->KeySection(QLatin1String(section)).KeyValue(key);
    };
    std::map<QString, QString> pictures{{value("Logo", "bg"), "Logo/bg"},
                                        {value("menu", "bg"), "menu/bg"}};
    const QStringList buttons = value("menu", QStringLiteral("Buttons")).split(',');
    EXPECT_EQ(buttons, QStringList({"start", "quickload", "load", "omake", "exit"}));
    for (const QString& key : buttons) {
        addNamed(pictures, value("menu", key).section(',', 0, 0), QStringLiteral("menu/") + key);
    }
    for (const auto& [name, where] : pictures) {
        EXPECT_TRUE(varo().Kest().ProbePicture(name))
            << "picture '" << name.toStdString() << "' of " << where.toStdString();
    }
    const std::map<QString, QString> sounds{{value("Logo", "se"), "Logo/se"},
                                            {value("menu", "bgm"), "menu/bgm"},
                                            {value("Base", "PointSE"), "Base/PointSE"},
                                            {value("Base", "ClickSE"), "Base/ClickSE"}};
    for (const auto& [name, where] : sounds) {
        EXPECT_FALSE(name.isEmpty()) << where.toStdString();
        EXPECT_TRUE(varo().Dov().PlaySE(name, 0))
            << "sound '" << name.toStdString() << "' of " << where.toStdString();
    }
    varo().Dov().StopSE();
}
