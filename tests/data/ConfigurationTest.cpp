#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/AppState.h"
#include "app/clsLaunch.h"
#include "data/Configuration.h"
#include "data/INIFile.h"
#include "data/Scrambler.h"
#include "data/stdINI.h"
#include "platform/Platform.h"
#include "platform/os/Cp932Codec.h"
#include "platform/os/FileIo.h"
#include "platform/os/ScriptedMessageBoxPresenter.h"
#include "platform/os/VirtualClock.h"

namespace {

const QString kSystemInfo = QStringLiteral(
    "[Game]\r\n"
    "InvalidFont=Terminal,SuperIPAMinchoX\r\n"
    "[Config]\r\n"
    "TextSpeed=30\r\n"
    "BGMVolume=200\r\n"
    "BGMMute=False\r\n"
    "SEVolume=180\r\n"
    "CVVolume=255\r\n"
    "WndAlpha=128\r\n"
    "Font=ＭＳ ゴシック\r\n"
    "CustomCursor=True\r\n"
    "Char:0=True,16777215\r\n"
    "Char:1=False,255\r\n"
    "Char:2=True\r\n"
    "Char:3=false,&hFF00\r\n"
    "[CharConfig]\r\n"
    "ListCount=4\r\n"
    "Item:0=主人公,hero/Hiro,False\r\n"
    "Item:1=あかり, akari / AKR ,True\r\n"
    "Item:2=broken,x\r\n"
    "Item:3=先生,sensei/hero,True\r\n"
    "Item:4=余分,extra,True\r\n"
    "MaleCID=HERO,sensei\r\n");

QStringList NoFonts() {
    return {};
}

}  // namespace

class ConfigurationTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedPlatform = App().platform;
        savedLauncher = App().Launcher;
        App().AppDir = dir.path();
        App().ResetSwitchesAndFolders();
        App().SaveDir = dir.file(QStringLiteral("save"));
        platform.setMessageBoxes(std::make_unique<ScriptedMessageBoxPresenter>(platform.trace()));
        platform.trace().keepInMemory(true);
        App().platform = &platform;
        App().Launcher = &launcher;
        systemInfo.SetText(kSystemInfo);
    }
    void TearDown() override {
        App().platform = savedPlatform;
        App().Launcher = savedLauncher;
        App().SaveDir.clear();
        App().ResetSwitchesAndFolders();
    }

    std::unique_ptr<Configuration> initialised(Configuration::FontSource fonts = NoFonts) {
        auto cfg = std::make_unique<Configuration>(std::move(fonts));
        EXPECT_TRUE(cfg->Init(systemInfo));
        return cfg;
    }
    QString configPath() const { return App().SaveDir + QStringLiteral("/config.ini"); }
    // Section "Config" of config.ini as stored now.
    QString storedValue(const QString& key) {
        INIFile file;
        EXPECT_TRUE(stdINI::LoadINIFile(file, configPath()));
        return file.KeySection(QStringLiteral("Config")).KeyValue(key);
    }
    void writeConfigFile(const QString& text) {
        INIFile file;
        file.SetText(text);
        FileIo::makeDirectories(App().SaveDir);
        ASSERT_TRUE(stdINI::SaveINIFile(file, configPath()));
    }
    // Trace events of one kind ("msgbox", "log"), without the time.
    QStringList traced(const QString& kind) {
        QStringList events;
        for (const QString& line : platform.trace().lines()) {
            const QString event = line.section(u' ', 1);
            if (event.startsWith(kind + u' ')) {
                events.append(event.mid(kind.size() + 1));
            }
        }
        return events;
    }
    static QString box(const QString& text) { return u'"' + text + QStringLiteral("\" -> ok"); }

    TempFolder dir;
    Platform platform{std::make_unique<VirtualClock>(), nullptr};
    clsLaunch launcher;
    INIFile systemInfo;
    Platform* savedPlatform = nullptr;
    clsLaunch* savedLauncher = nullptr;
};

// ---- start-up and the settings file

TEST_F(ConfigurationTest, CreatesConfigIniFromTheDefaults) {
    auto cfg = initialised();
    ASSERT_TRUE(FileIo::isFile(configPath()));
    INIFile file;
    ASSERT_TRUE(stdINI::LoadINIFile(file, configPath()));
    // Scrambled, since INIEncript is on.
    EXPECT_EQ(*FileIo::readAll(configPath()), Scrambler::scrambleText(file.Text()));
    INIFile defaults(systemInfo);
    EXPECT_EQ(file.KeySection(QStringLiteral("Config")).Text(),
              defaults.KeySection(QStringLiteral("Config")).Text());
    EXPECT_EQ(cfg->StringVal(QStringLiteral("Font")), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_TRUE(cfg->ChangeEventEnabled());
    EXPECT_TRUE(traced(QStringLiteral("msgbox")).isEmpty());
}

TEST_F(ConfigurationTest, StoredValuesWinAndMissingKeysReadTheirDefault) {
    writeConfigFile(QStringLiteral("[Config]\r\nTextSpeed=5\r\n"));
    const QByteArray before = *FileIo::readAll(configPath());
    auto cfg = initialised();
    EXPECT_EQ(cfg->LongVal(QStringLiteral("TextSpeed")), 5);
    EXPECT_EQ(cfg->LongVal(QStringLiteral("BGMVolume")), 200);
    EXPECT_EQ(*FileIo::readAll(configPath()), before);  // an existing file is not rewritten
}

TEST_F(ConfigurationTest, PlainFileWhenScramblingIsOff) {
    App().INIEncript = false;
    auto cfg = initialised();
    const QByteArray bytes = *FileIo::readAll(configPath());
    EXPECT_TRUE(bytes.startsWith("[Config]\r\nTextSpeed=30\r\n"));
    EXPECT_TRUE(bytes.contains(Cp932Codec::encode(u"Font=ＭＳ ゴシック")));
}

TEST_F(ConfigurationTest, DamagedFileIsKeptAsideAndTheDefaultsUsed) {
    // An odd byte count is no scrambled text.
    const QByteArray damaged = Scrambler::scrambleText(QStringLiteral("[Config]")).chopped(1);
    FileIo::makeDirectories(App().SaveDir);
    ASSERT_TRUE(FileIo::writeDurable(configPath(), damaged));
    auto cfg = initialised();
    EXPECT_EQ(cfg->LongVal(QStringLiteral("TextSpeed")), 30);
    EXPECT_EQ(*FileIo::readAll(configPath() + QStringLiteral(".damaged")), damaged);
    EXPECT_EQ(storedValue(QStringLiteral("TextSpeed")), QStringLiteral("30"));
    EXPECT_EQ(traced(QStringLiteral("log"))
                  .filter(QStringLiteral("kept as ") + configPath() + QStringLiteral(".damaged"))
                  .size(),
              1);
}

TEST_F(ConfigurationTest, DamagedFileThatCannotBeKeptAsideIsNeverOverwritten) {
    const QByteArray damaged = Scrambler::scrambleText(QStringLiteral("[Config]")).chopped(1);
    FileIo::makeDirectories(configPath() + QStringLiteral(".damaged"));  // blocks the copy
    ASSERT_TRUE(FileIo::writeDurable(configPath(), damaged));
    {
        auto cfg = initialised();
        EXPECT_EQ(cfg->LongVal(QStringLiteral("TextSpeed")), 30);
        cfg->SetLongVal(QStringLiteral("TextSpeed"), 1);
        EXPECT_FALSE(cfg->Save());
    }
    EXPECT_EQ(*FileIo::readAll(configPath()), damaged);
    EXPECT_EQ(traced(QStringLiteral("log"))
                  .filter(QStringLiteral("cannot be read nor kept aside"))
                  .size(),
              1);
}

TEST_F(ConfigurationTest, WithoutConfigDefaultsInitFailsAndNothingIsWritten) {
    systemInfo.SetText(QStringLiteral("[Game]\r\nInvalidFont=\r\n"));
    Configuration cfg(NoFonts);
    EXPECT_FALSE(cfg.Init(systemInfo));
    EXPECT_FALSE(cfg.ChangeEventEnabled());
    EXPECT_FALSE(FileIo::isFile(configPath()));
    EXPECT_FALSE(cfg.Save());
    EXPECT_FALSE(FileIo::isFile(configPath()));
}

TEST_F(ConfigurationTest, BeforeInitReadsAreRefusedAndWritesOnlyLogged) {
    bool raised = false;
    {
        Configuration cfg(NoFonts);
        cfg.onChangeSetting = [&](const QString&) { raised = true; };
        EXPECT_EQ(cfg.StringVal(QStringLiteral("TextSpeed")), QString());
        cfg.SetLongVal(QStringLiteral("TextSpeed"), 9);
    }
    EXPECT_FALSE(raised);
    EXPECT_EQ(
        traced(QStringLiteral("msgbox")),
        QStringList{box(QStringLiteral("不正な設定項目 'TextSpeed' を読み込もうとしました。"))});
    // The release never writes a file it did not read or create.
    EXPECT_EQ(traced(QStringLiteral("log")),
              QStringList({QStringLiteral("設定保存先が作成されていません。"),
                           QStringLiteral("Config-Terminate")}));
    EXPECT_FALSE(FileIo::isFile(configPath()));
}

TEST_F(ConfigurationTest, InvalidKeysShowTheirMessageAndStoreNothing) {
    auto cfg = initialised();
    int events = 0;
    cfg->onChangeSetting = [&](const QString&) { ++events; };
    EXPECT_EQ(cfg->StringVal(QStringLiteral("NoSuchKey")), QString());
    EXPECT_FALSE(cfg->BoolVal(QStringLiteral("Char:9")));
    cfg->SetStringVal(QStringLiteral("NoSuchKey"), QStringLiteral("1"));
    EXPECT_EQ(
        traced(QStringLiteral("msgbox")),
        QStringList({box(QStringLiteral("不正な設定項目 'NoSuchKey' を読み込もうとしました。")),
                     box(QStringLiteral("不正な設定項目 'Char:9' を読み込もうとしました。")),
                     box(QStringLiteral("不正な設定項目 'NoSuchKey' に書き込もうとしました。"))}));
    EXPECT_EQ(events, 0);
    ASSERT_TRUE(cfg->Save());
    INIFile file;
    ASSERT_TRUE(stdINI::LoadINIFile(file, configPath()));
    EXPECT_FALSE(file.KeySection(QStringLiteral("Config")).KeyExists(QStringLiteral("NoSuchKey")));
}

TEST_F(ConfigurationTest, KeysIgnoreLetterCase) {
    auto cfg = initialised();
    cfg->SetLongVal(QStringLiteral("textspeed"), 12);
    EXPECT_EQ(cfg->LongVal(QStringLiteral("TEXTSPEED")), 12);
    EXPECT_TRUE(traced(QStringLiteral("msgbox")).isEmpty());
}

// ---- encodings

TEST_F(ConfigurationTest, TypedValuesRoundTripThroughTheScrambledFile) {
    {
        auto cfg = initialised();
        cfg->SetBoolVal(QStringLiteral("BGMMute"), true);
        cfg->SetBoolVal(QStringLiteral("CustomCursor"), false);
        cfg->SetLongVal(QStringLiteral("TextSpeed"), -5);
        cfg->SetLongVal(QStringLiteral("BGMVolume"), 2147483647);
        cfg->SetStringVal(QStringLiteral("Font"), QStringLiteral("IPA明朝"));
        cfg->SetBoolValChk(QStringLiteral("WndAlpha"), 1);
        cfg->SetBoolValChk(QStringLiteral("SEVolume"), 2);
        ASSERT_TRUE(cfg->Save());
    }
    EXPECT_EQ(storedValue(QStringLiteral("BGMMute")), QStringLiteral("True"));
    EXPECT_EQ(storedValue(QStringLiteral("CustomCursor")), QStringLiteral("False"));
    EXPECT_EQ(storedValue(QStringLiteral("TextSpeed")), QStringLiteral("-5"));
    EXPECT_EQ(storedValue(QStringLiteral("WndAlpha")), QStringLiteral("True"));
    EXPECT_EQ(storedValue(QStringLiteral("SEVolume")), QStringLiteral("False"));

    auto cfg = initialised();
    EXPECT_TRUE(cfg->BoolVal(QStringLiteral("BGMMute")));
    EXPECT_EQ(cfg->BoolValChk(QStringLiteral("BGMMute")), 1);
    EXPECT_EQ(cfg->BoolValChk(QStringLiteral("CustomCursor")), 0);
    EXPECT_EQ(cfg->LongVal(QStringLiteral("TextSpeed")), -5);
    EXPECT_EQ(cfg->LongVal(QStringLiteral("BGMVolume")), 2147483647);
    EXPECT_EQ(cfg->StringVal(QStringLiteral("Font")), QStringLiteral("IPA明朝"));
}

TEST_F(ConfigurationTest, BooleansAreTrueOnlyForTheWordTrue) {
    writeConfigFile(
        QStringLiteral("[Config]\r\nBGMMute=TRUE\r\nCustomCursor=yes\r\nWndAlpha=1\r\n"));
    auto cfg = initialised();
    EXPECT_TRUE(cfg->BoolVal(QStringLiteral("BGMMute")));
    EXPECT_FALSE(cfg->BoolVal(QStringLiteral("CustomCursor")));
    EXPECT_FALSE(cfg->BoolVal(QStringLiteral("WndAlpha")));
}

TEST(ConfigurationNumbers, ReadAsTheLeadingNumberIn32Bits) {
    EXPECT_EQ(Configuration::NumberOf(QStringLiteral("42")), 42);
    EXPECT_EQ(Configuration::NumberOf(QStringLiteral(" -7 ")), -7);
    EXPECT_EQ(Configuration::NumberOf(QStringLiteral("+8")), 8);
    EXPECT_EQ(Configuration::NumberOf(QStringLiteral("12abc")), 12);
    EXPECT_EQ(Configuration::NumberOf(QStringLiteral("3.9")), 3);
    EXPECT_EQ(Configuration::NumberOf(QStringLiteral("abc")), 0);
    EXPECT_EQ(Configuration::NumberOf(QString()), 0);
    EXPECT_EQ(Configuration::NumberOf(QStringLiteral("&hFF")), 255);
    EXPECT_EQ(Configuration::NumberOf(QStringLiteral("&Hffffff")), 0xFFFFFF);
    EXPECT_EQ(Configuration::NumberOf(QStringLiteral("&hG")), 0);
    // Beyond 32 bits only the low 32 bits remain.
    EXPECT_EQ(Configuration::NumberOf(QStringLiteral("4294967295")), -1);
    EXPECT_EQ(Configuration::NumberOf(QStringLiteral("4294967298")), 2);
    EXPECT_EQ(Configuration::NumberOf(QStringLiteral("-2147483648")), -2147483647 - 1);
    EXPECT_EQ(Configuration::NumberOf(QStringLiteral("１２")), 0);  // full-width digits are text
}

// ---- change events, default mode, backup

TEST_F(ConfigurationTest, ChangeSettingOnlyOnRealChanges) {
    writeConfigFile(QStringLiteral("[Config]\r\nTextSpeed=30\r\n"));
    auto cfg = initialised();
    QStringList events;
    cfg->onChangeSetting = [&](const QString& key) { events.append(key); };
    cfg->SetLongVal(QStringLiteral("TextSpeed"), 30);
    EXPECT_TRUE(events.isEmpty());
    cfg->SetLongVal(QStringLiteral("TextSpeed"), 31);
    cfg->SetLongVal(QStringLiteral("TextSpeed"), 31);
    EXPECT_EQ(events, QStringList{QStringLiteral("TextSpeed")});
    // A key the file lacks compares as "": storing its default is a change.
    cfg->SetLongVal(QStringLiteral("BGMVolume"), 200);
    EXPECT_EQ(events.size(), 2);
    cfg->SetStringVal(QStringLiteral("WndAlpha"), QString());
    EXPECT_EQ(events.size(), 2);

    cfg->SetChangeEventEnabled(false);
    cfg->SetLongVal(QStringLiteral("TextSpeed"), 40);
    EXPECT_EQ(events.size(), 2);
    EXPECT_EQ(cfg->LongVal(QStringLiteral("TextSpeed")), 40);  // stored all the same

    cfg->RaiseChangeEvent(QStringLiteral("SEVolume,BGMMute"));
    EXPECT_EQ(events.mid(2), QStringList({QStringLiteral("SEVolume"), QStringLiteral("BGMMute")}));
}

TEST_F(ConfigurationTest, InitRaisesNoEventAndEnablesEvents) {
    Configuration cfg(NoFonts);
    int events = 0;
    cfg.onChangeSetting = [&](const QString&) { ++events; };
    EXPECT_FALSE(cfg.ChangeEventEnabled());
    ASSERT_TRUE(cfg.Init(systemInfo));
    EXPECT_EQ(events, 0);
    EXPECT_TRUE(cfg.ChangeEventEnabled());
}

TEST_F(ConfigurationTest, DefaultModeReadsDefaults) {
    auto cfg = initialised();
    cfg->SetLongVal(QStringLiteral("SEVolume"), 7);
    cfg->SetDefaultMode(true);
    EXPECT_EQ(cfg->LongVal(QStringLiteral("SEVolume")), 180);
    cfg->SetDefaultMode(false);
    EXPECT_EQ(cfg->LongVal(QStringLiteral("SEVolume")), 7);
}

TEST_F(ConfigurationTest, RestoreListedKeysFromTheBackup) {
    auto cfg = initialised();
    cfg->Backup();
    cfg->SetLongVal(QStringLiteral("BGMVolume"), 10);
    cfg->SetLongVal(QStringLiteral("SEVolume"), 20);
    cfg->SetLongVal(QStringLiteral("CVVolume"), 30);
    QStringList events;
    cfg->onChangeSetting = [&](const QString& key) { events.append(key); };
    cfg->Restore(QStringLiteral("BGMVolume,SEVolume,BGMMute"));
    EXPECT_EQ(cfg->LongVal(QStringLiteral("BGMVolume")), 200);
    EXPECT_EQ(cfg->LongVal(QStringLiteral("SEVolume")), 180);
    EXPECT_EQ(cfg->LongVal(QStringLiteral("CVVolume")), 30);
    // Only the values that changed back are announced.
    EXPECT_EQ(events, QStringList({QStringLiteral("BGMVolume"), QStringLiteral("SEVolume")}));
}

TEST_F(ConfigurationTest, RestoreEverythingAndKeysTheBackupLacks) {
    writeConfigFile(QStringLiteral("[Config]\r\nTextSpeed=3\r\nBGMMute=True\r\n"));
    auto cfg = initialised();
    cfg->Backup();
    cfg->SetLongVal(QStringLiteral("TextSpeed"), 4);
    cfg->SetBoolVal(QStringLiteral("BGMMute"), false);
    cfg->SetLongVal(QStringLiteral("WndAlpha"), 5);
    cfg->Restore(QString());
    EXPECT_EQ(cfg->LongVal(QStringLiteral("TextSpeed")), 3);
    EXPECT_TRUE(cfg->BoolVal(QStringLiteral("BGMMute")));
    EXPECT_EQ(cfg->LongVal(QStringLiteral("WndAlpha")), 5);  // not in the backup's lines
    // Named explicitly, it returns to the value it read as: its default.
    cfg->Restore(QStringLiteral("WndAlpha"));
    EXPECT_EQ(cfg->LongVal(QStringLiteral("WndAlpha")), 128);
    EXPECT_TRUE(traced(QStringLiteral("msgbox")).isEmpty());
}

// ---- characters

TEST_F(ConfigurationTest, CharacterMapIgnoresCaseAndMalformedEntries) {
    auto cfg = initialised();
    EXPECT_EQ(cfg->GetIndexByCID(QStringLiteral("hero")), 0);
    EXPECT_EQ(cfg->GetIndexByCID(QStringLiteral("HIRO")), 0);
    EXPECT_EQ(cfg->GetIndexByCID(QStringLiteral("Akari")), 1);
    EXPECT_EQ(cfg->GetIndexByCID(QStringLiteral("akr")), 1);
    EXPECT_EQ(cfg->GetIndexByCID(QStringLiteral("x")), -1);
    EXPECT_EQ(cfg->GetIndexByCID(QStringLiteral("sensei")), 3);
    EXPECT_EQ(cfg->GetIndexByCID(QStringLiteral("extra")), -1);  // beyond ListCount
    EXPECT_EQ(cfg->GetIndexByCID(QStringLiteral("nobody")), -1);
    EXPECT_EQ(cfg->GetIndexByCID(QString()), -1);
}

TEST_F(ConfigurationTest, CharacterColourAndVoice) {
    auto cfg = initialised();
    EXPECT_EQ(cfg->CharColor(0), 0xFFFFFFu);
    EXPECT_TRUE(cfg->CharVoiceEnabled(0));
    EXPECT_EQ(cfg->CharColor(1), 255u);
    EXPECT_FALSE(cfg->CharVoiceEnabled(1));
    EXPECT_EQ(cfg->CharColor(2), 0u);  // no colour field
    EXPECT_TRUE(cfg->CharVoiceEnabled(2));
    EXPECT_EQ(cfg->CharColor(3), 0xFF00u);
    EXPECT_FALSE(cfg->CharVoiceEnabled(3));
    EXPECT_EQ(cfg->CharColor(-1), 0xFFFFFFu);
    EXPECT_TRUE(cfg->CharVoiceEnabled(-1));

    cfg->SetCharValue(1, QStringLiteral("TRUE,65280"));
    EXPECT_EQ(cfg->CharValue(1), QStringLiteral("TRUE,65280"));
    EXPECT_EQ(cfg->CharColor(1), 65280u);
    EXPECT_TRUE(cfg->CharVoiceEnabled(1));
    EXPECT_TRUE(traced(QStringLiteral("msgbox")).isEmpty());
}

TEST_F(ConfigurationTest, MaleIdentifiersMatchWithinTheText) {
    auto cfg = initialised();
    EXPECT_TRUE(cfg->CharIsMale(QStringLiteral("hero")));
    EXPECT_TRUE(cfg->CharIsMale(QStringLiteral("SENSEI")));
    EXPECT_TRUE(cfg->CharIsMale(QStringLiteral("sen")));  // occurs within "hero,sensei"
    EXPECT_FALSE(cfg->CharIsMale(QStringLiteral("akari")));
    EXPECT_FALSE(cfg->CharIsMale(QString()));
}

TEST_F(ConfigurationTest, CharacterMapWithAHugeCountTakesTheEntriesPresent) {
    systemInfo.KeySection(QStringLiteral("CharConfig"))
        .SetKeyValue(QStringLiteral("ListCount"), QStringLiteral("2147483647"));
    auto cfg = initialised();
    EXPECT_EQ(cfg->GetIndexByCID(QStringLiteral("hero")), 0);  // named again by entry 3
    EXPECT_EQ(cfg->GetIndexByCID(QStringLiteral("extra")), 4);
}

// ---- release

TEST_F(ConfigurationTest, ReleaseSavesAndLogs) {
    {
        auto cfg = initialised();
        cfg->SetLongVal(QStringLiteral("CVVolume"), 77);
        EXPECT_EQ(storedValue(QStringLiteral("CVVolume")), QStringLiteral("255"));
    }
    EXPECT_EQ(storedValue(QStringLiteral("CVVolume")), QStringLiteral("77"));
    EXPECT_EQ(traced(QStringLiteral("log")).last(), QStringLiteral("Config-Terminate"));
}

// ---- fonts

TEST_F(ConfigurationTest, FontListLeavesOutVerticalAndExcludedFonts) {
    auto cfg = initialised([] {
        return QStringList({QStringLiteral("IPAGothic"), QStringLiteral("@IPAGothic"),
                            QStringLiteral("IPAMincho"), QStringLiteral("Terminal"),
                            QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("IPAGothic")});
    });
    // "IPAMincho" occurs inside "SuperIPAMinchoX"; duplicates stay.
    EXPECT_EQ(cfg->FontCount(), 3);
    EXPECT_EQ(cfg->FontName(0), QStringLiteral("IPAGothic"));
    EXPECT_EQ(cfg->FontName(1), QStringLiteral("Noto Sans Mono CJK JP"));
    EXPECT_EQ(cfg->FontName(2), QStringLiteral("IPAGothic"));
    EXPECT_EQ(cfg->FontName(3), QString());
    EXPECT_EQ(cfg->FontName(-1), QString());
    EXPECT_EQ(cfg->GetFontIndex(QStringLiteral("Noto Sans Mono CJK JP")), 1);
    EXPECT_EQ(cfg->GetFontIndex(QStringLiteral("ipagothic")), -1);

    cfg->AddEffectiveFont(QStringLiteral("Termina"));
    cfg->AddEffectiveFont(QStringLiteral("Other"));
    EXPECT_EQ(cfg->FontCount(), 4);
    EXPECT_EQ(cfg->GetFontIndex(QStringLiteral("Other")), 3);
}

TEST_F(ConfigurationTest, InstalledFontsGiveTheFixedPitchIpaFonts) {
    auto cfg = initialised({});
    EXPECT_GE(cfg->GetFontIndex(QStringLiteral("IPAGothic")), 0);
    EXPECT_EQ(cfg->GetFontIndex(QStringLiteral("IPAPGothic")), -1);
    for (int i = 0; i < cfg->FontCount(); ++i) {
        EXPECT_FALSE(cfg->FontName(i).startsWith(u'@'));
    }
}
