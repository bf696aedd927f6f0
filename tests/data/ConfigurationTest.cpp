#include "data/Configuration.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>

#include "TestSupport.h"
#include "app/clsLaunch.h"
#include "base/AppState.h"
#include "data/Scrambler.h"
#include "data/stdINI.h"
#include "platform/Platform.h"
#include "platform/os/FileIo.h"
#include "platform/os/ScriptedMessageBoxPresenter.h"
#include "platform/os/VirtualClock.h"

namespace {

const char* const kSystemInfo =
    "[Game]\r\nInvalidFont=Terminal,SuperIPAMinchoX\r\n"
    "[Config]\r\nTextSpeed=30\r\nBGMVolume=200\r\nBGMMute=False\r\nSEVolume=180\r\n"
    "CVVolume=255\r\nWndAlpha=128\r\nFont=ＭＳ ゴシック\r\nCustomCursor=True\r\n"
    "Char:0=True,16777215\r\nChar:1=False,255\r\nChar:2=True\r\nChar:3=false,&hFF00\r\n"
    "[CharConfig]\r\nListCount=4\r\nItem:0=主人公,hero/Hiro,False\r\n"
    "Item:1=あかり, akari / AKR ,True\r\nItem:2=broken,x\r\nItem:3=先生,sensei/hero,True\r\n"
    "Item:4=余分,extra,True\r\nMaleCID=HERO,sensei\r\n";

QString Refused(const QString& key, const char* verb = "を読み込もうとしました。") {
    return "\"不正な設定項目 '" + key + "' " + verb + "\" -> ok";
}

QStringList NoFonts() {
    return {};
}

// Applies `value` to each of the space-separated names and joins the results by "|".
template <typename Value>
QString each(const QString& names, Value value) {
    QStringList values;
    for (const QString& name : names.split(u' ')) {
        const auto result = value(name);
        if constexpr (std::is_same_v<decltype(result), const QString>) {
            values << result;
        } else {
            values << QString::number(result);
        }
    }
    return values.join(u'|');
}

class ConfigurationTest : public ::testing::Test {
protected:
    void SetUp() override {
        App().AppDir = dir.path();
        App().ResetSwitchesAndFolders();
        App().SaveDir = dir.file("save");
        systemInfo.SetText(kSystemInfo);
    }
    void TearDown() override {
        App().SaveDir.clear();
        App().ResetSwitchesAndFolders();
    }
    std::unique_ptr<Configuration> initialised(Configuration::FontSource fonts = NoFonts) {
        auto cfg = std::make_unique<Configuration>(std::move(fonts));
        EXPECT_TRUE(cfg->Init(systemInfo));
        return cfg;
    }
    QString path() const { return App().SaveDir + "/config.ini"; }
    QByteArray bytes(const QString& suffix = {}) const {
        return FileIo::readAll(path() + suffix).value_or("(missing)");
    }
    // The values of the keys as read (space-separated names, "|"-joined values).
    static QString read(const Configuration& cfg, const QString& keys) {
        return each(keys, [&](const QString& key) { return cfg.StringVal(key); });
    }
    // The values of the keys in section "Config" of config.ini as stored now.
    QString stored(const QString& keys) {
        INIFile file;
        EXPECT_TRUE(stdINI::LoadINIFile(file, path()));
        return each(keys,
                    [&](const QString& key) { return file.KeySection("Config").KeyValue(key); });
    }
    void writeConfig(const QString& text) {
        INIFile file;
        file.SetText("[Config]\r\n" + text);
        FileIo::makeDirectories(App().SaveDir);
        ASSERT_TRUE(stdINI::SaveINIFile(file, path()));
    }
    // Trace events of one kind ("msgbox", "log"), without the time.
    QStringList traced(const QString& kind) {
        QStringList events =
            platform.trace().lines().filter(QRegularExpression("^t=\\d+ " + kind + " "));
        for (QString& event : events) {
            event = event.section(u' ', 2);
        }
        return events;
    }
    TempFolder dir;
    ScriptedPlayer player;
    Platform& platform = player.platform;
    clsLaunch& launcher = player.launcher;
    INIFile systemInfo;
};

}  // namespace

TEST_F(ConfigurationTest, InitCreatesConfigIniFromTheDefaultsWithoutEvents) {
    Configuration cfg(NoFonts);
    int events = 0;
    cfg.onChangeSetting = [&](const QString&) { ++events; };
    EXPECT_FALSE(cfg.ChangeEventEnabled());
    ASSERT_TRUE(cfg.Init(systemInfo));
    EXPECT_EQ(events, 0);
    EXPECT_TRUE(cfg.ChangeEventEnabled());
    INIFile file;
    ASSERT_TRUE(stdINI::LoadINIFile(file, path()));
    EXPECT_EQ(file.KeySection("Config").Text(), INIFile(systemInfo).KeySection("Config").Text());
    EXPECT_TRUE(traced("msgbox").isEmpty());
}

TEST_F(ConfigurationTest, StoredValuesWinMissingKeysReadTheirDefaultBooleansNeedTheWordTrue) {
    writeConfig("TextSpeed=5\r\nBGMMute=TRUE\r\nCustomCursor=yes\r\nWndAlpha=1\r\n");
    const QByteArray before = bytes();
    auto cfg = initialised();
    EXPECT_EQ(read(*cfg, "TextSpeed BGMVolume"), "5|200");
    EXPECT_EQ(each("BGMMute CustomCursor WndAlpha", [&](auto key) { return cfg->BoolValChk(key); }),
              "1|0|0");
    EXPECT_EQ(bytes(), before);  // an existing file is not rewritten
}

TEST_F(ConfigurationTest, DamagedFileIsKeptAsideOrElseNeverOverwritten) {
    // An odd byte count is no scrambled text.
    const QByteArray damaged = Scrambler::scrambleText("[Config]").chopped(1);
    ASSERT_TRUE(FileIo::makeDirectories(path() + ".damaged"));  // blocks the copy
    ASSERT_TRUE(FileIo::writeDurable(path(), damaged));
    {
        auto cfg = initialised();
        EXPECT_EQ(cfg->LongVal("TextSpeed"), 30);
        cfg->SetLongVal("TextSpeed", 1);
        EXPECT_FALSE(cfg->Save());
    }
    EXPECT_EQ(bytes(), damaged);
    EXPECT_EQ(traced("log").filter("cannot be read nor kept aside").size(), 1);
    ASSERT_TRUE(QDir(path() + ".damaged").removeRecursively());
    auto cfg = initialised();
    EXPECT_EQ(bytes(".damaged"), damaged);
    EXPECT_EQ(stored("TextSpeed"), "30");
    EXPECT_EQ(traced("log").filter("kept as " + path() + ".damaged").size(), 1);
}

TEST_F(ConfigurationTest, WithoutConfigDefaultsOrBeforeInitNothingIsReadOrWritten) {
    systemInfo.SetText("[Game]\r\nInvalidFont=\r\n");
    bool raised = false;
    {
        Configuration cfg(NoFonts);
        cfg.onChangeSetting = [&](const QString&) { raised = true; };
        EXPECT_EQ(cfg.StringVal("TextSpeed"), QString());
        cfg.SetLongVal("TextSpeed", 9);
        EXPECT_FALSE(cfg.Init(systemInfo));
        EXPECT_FALSE(cfg.ChangeEventEnabled());
        EXPECT_FALSE(cfg.Save());
    }
    EXPECT_FALSE(raised);
    EXPECT_EQ(traced("msgbox"), QStringList{Refused("TextSpeed")});
    EXPECT_EQ(traced("log").filter(QRegularExpression("設定保存先が作成されていません。|Config-")),
              QStringList({"設定保存先が作成されていません。", "Config-Terminate"}));
    EXPECT_FALSE(FileIo::isFile(path()));  // the release never writes what it did not read
}

TEST_F(ConfigurationTest, InvalidKeysShowTheirMessageAndStoreNothingButCaseIsIgnored) {
    auto cfg = initialised();
    int events = 0;
    cfg->onChangeSetting = [&](const QString&) { ++events; };
    EXPECT_EQ(read(*cfg, "NoSuchKey"), QString());
    EXPECT_FALSE(cfg->BoolVal("Char:9"));
    cfg->SetStringVal("NoSuchKey", "1");
    EXPECT_EQ(traced("msgbox"), QStringList({Refused("NoSuchKey"), Refused("Char:9"),
                                             Refused("NoSuchKey", "に書き込もうとしました。")}));
    EXPECT_EQ(events, 0);
    cfg->SetLongVal("textspeed", 12);
    EXPECT_EQ(cfg->LongVal("TEXTSPEED"), 12);
    ASSERT_TRUE(cfg->Save());
    EXPECT_EQ(stored("NoSuchKey TextSpeed"), "|12");
    EXPECT_EQ(traced("msgbox").size(), 3);
}

TEST_F(ConfigurationTest, TypedValuesRoundTripThroughTheFile) {
    {
        auto cfg = initialised();
        cfg->SetBoolVal("BGMMute", true);
        cfg->SetBoolVal("CustomCursor", false);
        cfg->SetLongVal("TextSpeed", -5);
        cfg->SetLongVal("BGMVolume", 2147483647);
        cfg->SetStringVal("Font", "IPA明朝");
        cfg->SetBoolValChk("WndAlpha", 1);
        cfg->SetBoolValChk("SEVolume", 2);  // only 1 is checked
    }
    const char* keys = "BGMMute CustomCursor TextSpeed BGMVolume Font WndAlpha SEVolume";
    const char* values = "True|False|-5|2147483647|IPA明朝|True|False";
    EXPECT_EQ(stored(keys), values);
    EXPECT_EQ(read(*initialised(), keys), values);
    EXPECT_EQ(initialised()->LongVal("BGMVolume"), 2147483647);
}

TEST(ConfigurationNumbers, ReadAsTheLeadingNumberIn32Bits) {
    // Beyond 32 bits only the low 32 bits remain; full-width digits are text.
    const std::pair<const char*, qint32> rows[] = {{"42", 42},        {" -7 ", -7},
                                                   {"+8", 8},         {"12abc", 12},
                                                   {"3.9", 3},        {"abc", 0},
                                                   {"", 0},           {"&hFF", 255},
                                                   {"&Hffff", 65535}, {"&hG", 0},
                                                   {"１２", 0},       {"4294967295", -1},
                                                   {"4294967298", 2}, {"-2147483648", INT32_MIN}};
    for (const auto& [text, number] : rows) {
        EXPECT_EQ(Configuration::NumberOf(text), number) << text;
    }
}

TEST_F(ConfigurationTest, ChangeSettingOnlyOnRealChangesAndDefaultModeReadsDefaults) {
    writeConfig("TextSpeed=30\r\n");
    auto cfg = initialised();
    QStringList events;
    cfg->onChangeSetting = [&](const QString& key) { events.append(key); };
    cfg->SetLongVal("TextSpeed", 30);
    EXPECT_TRUE(events.isEmpty());
    cfg->SetLongVal("TextSpeed", 31);
    cfg->SetLongVal("TextSpeed", 31);
    // A key the file lacks compares as "": storing its default is a change.
    cfg->SetLongVal("BGMVolume", 200);
    cfg->SetStringVal("WndAlpha", QString());
    EXPECT_EQ(events, QStringList({"TextSpeed", "BGMVolume"}));
    cfg->SetChangeEventEnabled(false);
    cfg->SetLongVal("TextSpeed", 40);  // stored all the same
    cfg->RaiseChangeEvent("SEVolume,BGMMute");
    EXPECT_EQ(events, QStringList({"TextSpeed", "BGMVolume", "SEVolume", "BGMMute"}));
    cfg->SetDefaultMode(true);
    EXPECT_EQ(read(*cfg, "TextSpeed"), "30");
    cfg->SetDefaultMode(false);
    EXPECT_EQ(read(*cfg, "TextSpeed"), "40");
}

TEST_F(ConfigurationTest, RestoreListedOrAllKeysFromTheBackup) {
    writeConfig("TextSpeed=3\r\nBGMMute=True\r\nSEVolume=180\r\n");
    auto cfg = initialised();
    cfg->Backup();
    cfg->SetLongVal("TextSpeed", 4);
    cfg->SetLongVal("SEVolume", 20);
    cfg->SetLongVal("WndAlpha", 5);
    QStringList events;
    cfg->onChangeSetting = [&](const QString& key) { events.append(key); };
    cfg->Restore("SEVolume,BGMMute");
    EXPECT_EQ(read(*cfg, "SEVolume TextSpeed"), "180|4");
    EXPECT_EQ(events, QStringList{"SEVolume"});  // only what changed back is announced
    cfg->SetBoolVal("BGMMute", false);
    cfg->Restore(QString());
    EXPECT_EQ(read(*cfg, "TextSpeed BGMMute WndAlpha"), "3|True|5");  // WndAlpha: not backed up
    // Named explicitly, it returns to the value it read as: its default.
    cfg->Restore("WndAlpha");
    EXPECT_EQ(read(*cfg, "WndAlpha"), "128");
    EXPECT_TRUE(traced("msgbox").isEmpty());
}

TEST_F(ConfigurationTest, CharactersByIdentifierColourVoiceAndSex) {
    auto cfg = initialised();
    // Letter case is ignored; malformed entries and those beyond ListCount are not read.
    const char* ids = "hero HIRO Akari akr x sensei extra nobody";
    EXPECT_EQ(each(ids, [&](auto id) { return QString::number(cfg->GetIndexByCID(id)); }),
              "0|0|1|1|-1|3|-1|-1");
    EXPECT_EQ(cfg->GetIndexByCID(""), -1);
    // Male when the identifier occurs within "HERO,sensei".
    EXPECT_EQ(each("hero SENSEI sen akari", [&](auto id) { return cfg->CharIsMale(id); }),
              "1|1|1|0");
    EXPECT_FALSE(cfg->CharIsMale(""));
    EXPECT_EQ(each("0 1 2 3 -1",
                   [&](const QString& entry) {
                       return QString::number(cfg->CharColor(entry.toInt())) + '/' +
                              QString::number(cfg->CharVoiceEnabled(entry.toInt()));
                   }),
              "16777215/1|255/0|0/1|65280/0|16777215/1");
    cfg->SetCharValue(1, "TRUE,65280");
    EXPECT_EQ(cfg->CharValue(1), "TRUE,65280");
    EXPECT_EQ(cfg->CharColor(1), 65280u);
    EXPECT_TRUE(cfg->CharVoiceEnabled(1));
    EXPECT_TRUE(traced("msgbox").isEmpty());
    // A huge count costs nothing and takes the entries present.
    systemInfo.KeySection("CharConfig").SetKeyValue("ListCount", "2147483647");
    cfg = initialised();
    EXPECT_EQ(cfg->GetIndexByCID("hero"), 0);  // named again by entry 3
    EXPECT_EQ(cfg->GetIndexByCID("extra"), 4);
}

TEST_F(ConfigurationTest, ReleaseSavesAndLogs) {
    {
        auto cfg = initialised();
        cfg->SetLongVal("CVVolume", 77);
        EXPECT_EQ(stored("CVVolume"), "255");
    }
    EXPECT_EQ(stored("CVVolume"), "77");
    EXPECT_EQ(traced("log").last(), "Config-Terminate");
}

TEST_F(ConfigurationTest, FontListLeavesOutVerticalAndExcludedFonts) {
    auto cfg = initialised([] {
        return QStringList({"IPAGothic", "@IPAGothic", "IPAMincho", "Terminal",
                            "Noto Sans Mono CJK JP", "IPAGothic"});
    });
    // "IPAMincho" occurs inside "SuperIPAMinchoX"; duplicates stay.
    EXPECT_EQ(each("0 1 2 3 -1", [&](const QString& i) { return cfg->FontName(i.toInt()); }),
              "IPAGothic|Noto Sans Mono CJK JP|IPAGothic||");
    EXPECT_EQ(cfg->FontCount(), 3);
    EXPECT_EQ(cfg->GetFontIndex("Noto Sans Mono CJK JP"), 1);
    EXPECT_EQ(cfg->GetFontIndex("ipagothic"), -1);
    cfg->AddEffectiveFont("Termina");
    cfg->AddEffectiveFont("Other");
    EXPECT_EQ(cfg->FontCount(), 4);
    EXPECT_EQ(cfg->GetFontIndex("Other"), 3);
    // Without a source of its own the list holds the installed fixed-pitch fonts.
    cfg = initialised({});
    EXPECT_GE(cfg->GetFontIndex("IPAGothic"), 0);
    EXPECT_EQ(cfg->GetFontIndex("IPAPGothic"), -1);
}

TEST_F(ConfigurationTest, SettingsThatCannotBeWrittenAreToldOnceAndStillApply) {
    dir.write("blocker", "not a folder");
    App().SaveDir = dir.file("blocker/save");
    auto cfg = initialised();
    cfg->SetLongVal("TextSpeed", 4);
    EXPECT_FALSE(cfg->Save());
    EXPECT_EQ(cfg->LongVal("TextSpeed"), 4);
    const QStringList boxes = traced("msgbox");
    ASSERT_EQ(boxes.size(), 1) << boxes.join(u'\n').toStdString();
    EXPECT_TRUE(boxes.first().startsWith("\"設定を保存できません。"));
    EXPECT_GE(traced("log").filter("The settings file cannot be written").size(), 2);
}
