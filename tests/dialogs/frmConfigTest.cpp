#include "dialogs/frmConfig.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>

#include "ConfigDialogFixture.h"

namespace {

QString Name(const char* name, int index) {
    return QLatin1String(name) + QLatin1Char('_') + QString::number(index);
}

// "&hRRGGBB" sixteen times.
QString ColourList(std::initializer_list<const char*> first) {
    QStringList items;
    for (const char* item : first) {
        items << QLatin1String(item);
    }
    while (items.size() < 16) {
        items << QStringLiteral("&h000000");
    }
    return items.join(u',');
}

class frmConfigTest : public ConfigDialogFixture {
protected:
    QComboBox* fonts() const { return control<QComboBox>(QStringLiteral("cmbGrpFont")); }
    QLabel* fontPreview() const { return control<QLabel>(QStringLiteral("lblGrpFont")); }
    QListWidget* characters() const { return control<QListWidget>(QStringLiteral("lstChList")); }
    QWidget* widget(const char* name) const { return control<QWidget>(QLatin1String(name)); }
    // The colour the colour box shows (0xRRGGBB).
    QRgb colourBox() const {
        const QIcon icon = control<QPushButton>(QStringLiteral("picChColor"))->icon();
        return icon.pixmap(QSize(48, 20)).toImage().pixel(10, 10) & 0xFFFFFFu;
    }
};

// Characters with a third field "false", or without three fields, have no voice box.
class frmConfigNoCharactersTest : public frmConfigTest {
protected:
    QString CharConfig() const override {
        return QStringLiteral("[CharConfig]\r\nListCount=0\r\n");
    }
};

}  // namespace

// ---------------------------------------------------------------------------
// Layout

TEST_F(frmConfigTest, PagesCarryTheirCaptionsAndTheSlidersTheirRanges) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("詳細設定"));
    auto* tabs = control<QTabWidget>(QStringLiteral("tbsView"));
    ASSERT_EQ(tabs->count(), 4);
    QStringList captions;
    for (int page = 0; page < tabs->count(); ++page) {
        captions << tabs->tabText(page);
        EXPECT_EQ(tabs->widget(page)->objectName(), Name("picTab", page));
        EXPECT_EQ(tabs->widget(page)->findChild<QPushButton*>(Name("cmdInit", page))->text(),
                  QStringLiteral("初期状態に戻す"));
    }
    EXPECT_EQ(captions, (QStringList{"システム", "表示", "サウンド", "人物"}));

    const QStringList boxCaptions{"ゲーム終了",
                                  "カスタムマウスカーソルを利用する",
                                  "サウンドをミュートする",
                                  "ウィンドウ表示に切り替える",
                                  "未読部分で停止する",
                                  "画像効果を無視する",
                                  "選択肢選択後も継続する",
                                  "タイトルに戻る",
                                  "クイックロード",
                                  "クイックセーブ",
                                  "ロード",
                                  "セーブ",
                                  "文字に影を付ける",
                                  "フルスクリーン化に DirectX を使用する"};
    for (int index = 0; index < boxCaptions.size(); ++index) {
        EXPECT_EQ(box(Name("chkSys", index))->text(), boxCaptions[index]) << index;
    }
    // Each box lies on its own page.
    const int pageOf[] = {0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 1, 0};
    for (int index = 0; index < 14; ++index) {
        EXPECT_TRUE(tabs->widget(pageOf[index])->isAncestorOf(box(Name("chkSys", index)))) << index;
    }
    const QStringList speeds{"速い", "やや速い", "通常", "やや遅い", "遅い"};
    for (int index = 0; index < speeds.size(); ++index) {
        EXPECT_EQ(option(Name("optGrpAuto", index))->text(), speeds[index]);
    }
    EXPECT_EQ(option("optSysScreen_1")->text(), QStringLiteral("ウィンドウ表示で起動する"));
    for (int index = 0; index < 2; ++index) {
        EXPECT_EQ(slider(Name("sldGrpAlpha", index))->minimum(), 0);
        EXPECT_EQ(slider(Name("sldGrpAlpha", index))->maximum(), 256);
    }
    for (int index = 0; index < 3; ++index) {
        EXPECT_EQ(slider(Name("sldSndVolume", index))->minimum(), 0);
        EXPECT_EQ(slider(Name("sldSndVolume", index))->maximum(), 255);
        EXPECT_EQ(box(Name("chkSndMute", index))->text(), QStringLiteral("ミュート"));
    }
    EXPECT_EQ(control<QPushButton>("cmdOK")->text(), QStringLiteral("OK"));
    EXPECT_TRUE(control<QPushButton>("cmdOK")->isDefault());
    EXPECT_EQ(control<QPushButton>("cmdInitColor")->text(), QStringLiteral("作成した色を初期化"));
}

TEST_F(frmConfigTest, SetViewSelectsAPageByItsKeyAndRemembersTheShownOne) {
    auto* tabs = control<QTabWidget>(QStringLiteral("tbsView"));
    EXPECT_EQ(dialog->ViewKey(), QStringLiteral("system"));
    dialog->SetView(QStringLiteral("sound"));
    EXPECT_EQ(tabs->currentIndex(), 2);
    EXPECT_EQ(dialog->ViewKey(), QStringLiteral("sound"));
    tabs->setCurrentIndex(3);  // a click on the tab
    EXPECT_EQ(dialog->ViewKey(), QStringLiteral("char"));
    dialog->SetView(QStringLiteral("help"));
    EXPECT_EQ(tabs->currentIndex(), 3);
    EXPECT_EQ(dialog->ViewKey(), QStringLiteral("char"));
}

// ---------------------------------------------------------------------------
// Loading and saving

TEST_F(frmConfigTest, LoadDataShowsEverySettingWithoutAnnouncingAnything) {
    cfg->SetBoolVal("QueryExit", true);
    cfg->SetBoolVal("QuerySave", false);
    cfg->SetBoolVal("DXFullScreen", true);
    cfg->SetLongVal("StartScreenMode", 2);
    cfg->SetBoolVal("StartCenter", false);
    cfg->SetLongVal("WndAlpha", 100);
    cfg->SetLongVal("NovelAlpha", 256);
    cfg->SetBoolVal("SkipAfterSelect", true);
    cfg->SetLongVal("AutoModeWait", 2500);
    cfg->SetStringVal("Font", "IPAMincho");
    cfg->SetBoolVal("TextShadow", false);
    cfg->SetLongVal("BGMVolume", 10);
    cfg->SetLongVal("SEVolume", 20);
    cfg->SetLongVal("CVVolume", 30);
    cfg->SetBoolVal("CVMute", true);
    cfg->SetBoolVal("CVPan", true);
    cfg->SetBoolVal("MaleVoice", false);
    cfg->SetBoolVal("OriginalTextColor", true);
    changes.clear();

    dialog->LoadData();
    EXPECT_TRUE(changes.isEmpty()) << changes.join(u',').toStdString();
    EXPECT_TRUE(cfg->ChangeEventEnabled());
    EXPECT_TRUE(box("chkSys_0")->isChecked());
    EXPECT_FALSE(box("chkSys_11")->isChecked());
    EXPECT_TRUE(box("chkSys_10")->isChecked());
    EXPECT_TRUE(box("chkSys_13")->isChecked());
    EXPECT_TRUE(option("optSysScreen_2")->isChecked());
    EXPECT_FALSE(box("chkSysScreenCenter")->isChecked());
    EXPECT_FALSE(box("chkSysScreenCenter")->isEnabled());
    EXPECT_EQ(slider("sldGrpAlpha_0")->value(), 100);
    EXPECT_EQ(slider("sldGrpAlpha_1")->value(), 256);
    EXPECT_TRUE(box("chkSys_4")->isChecked());
    EXPECT_TRUE(box("chkSys_6")->isChecked());
    EXPECT_TRUE(option("optGrpAuto_3")->isChecked());
    EXPECT_EQ(dialog->AutoModeWait(), 2500);
    EXPECT_EQ(fonts()->count(), 2);
    EXPECT_EQ(fonts()->currentText(), QStringLiteral("IPAMincho"));
    EXPECT_EQ(fontPreview()->text(), QStringLiteral("IPAMincho"));
    EXPECT_EQ(fontPreview()->font().family(), QStringLiteral("IPAMincho"));
    EXPECT_FALSE(box("chkSys_12")->isChecked());
    EXPECT_EQ(slider("sldSndVolume_0")->value(), 10);
    EXPECT_EQ(slider("sldSndVolume_1")->value(), 20);
    EXPECT_EQ(slider("sldSndVolume_2")->value(), 30);
    EXPECT_FALSE(box("chkSndMute_0")->isChecked());
    EXPECT_TRUE(box("chkSndMute_2")->isChecked());
    EXPECT_TRUE(box("chkSndPan")->isChecked());
    EXPECT_FALSE(box("chkChMaleVoice")->isChecked());
    EXPECT_TRUE(box("chkChOriginalColor")->isChecked());
}

// The order is the order the engine hears the changes in.
TEST_F(frmConfigTest, SaveDataWritesEveryControlInItsOrder) {
    // Character values as a hand-edited file may have them: saving rewrites each.
    cfg->SetCharValue(0, QStringLiteral("true,16761024"));
    cfg->SetCharValue(1, QStringLiteral("false,&hFF"));
    cfg->SetCharValue(2, QStringLiteral("TRUE,65280"));
    dialog->LoadData();
    for (int index = 0; index < 14; ++index) {
        box(Name("chkSys", index))->toggle();
    }
    option("optSysScreen_0")->click();
    box("chkSysScreenCenter")->toggle();
    for (QSlider* moved : {slider("sldGrpAlpha_0"), slider("sldGrpAlpha_1"),
                           slider("sldSndVolume_0"), slider("sldSndVolume_1")}) {
        const QSignalBlocker unpreviewed(moved);
        moved->setValue(7);
    }
    option("optGrpAuto_0")->click();
    fonts()->setCurrentIndex(0);
    slider("sldSndVolume_2")->setValue(7);
    for (int index = 0; index < 3; ++index) {
        const QSignalBlocker unpreviewed(box(Name("chkSndMute", index)));
        box(Name("chkSndMute", index))->toggle();
    }
    box("chkSndPan")->toggle();
    box("chkChMaleVoice")->toggle();
    box("chkChOriginalColor")->toggle();
    dialog->SetCustomColorText(ColourList({"&h123456"}));
    changes.clear();

    dialog->SaveData();
    EXPECT_EQ(changes, (QStringList{"QueryExit",
                                    "QuerySave",
                                    "QueryLoad",
                                    "QueryQuickSave",
                                    "QueryQuickLoad",
                                    "QueryRestartTitle",
                                    "CustomCursor",
                                    "DeactivateMute",
                                    "DeactivateWnd",
                                    "DXFullScreen",
                                    "StartScreenMode",
                                    "StartCenter",
                                    "WndAlpha",
                                    "NovelAlpha",
                                    "SkipStopUnread",
                                    "SkipGrpEffect",
                                    "SkipAfterSelect",
                                    "AutoModeWait",
                                    "Font",
                                    "TextShadow",
                                    "BGMVolume",
                                    "SEVolume",
                                    "CVVolume",
                                    "BGMMute",
                                    "SEMute",
                                    "CVMute",
                                    "CVPan",
                                    "MaleVoice",
                                    "OriginalTextColor",
                                    "Char:0",
                                    "Char:1",
                                    "Char:2",
                                    "CustomColor"}));
    EXPECT_EQ(cfg->StringVal("QueryExit"), QStringLiteral("True"));
    EXPECT_EQ(cfg->StringVal("QuerySave"), QStringLiteral("False"));
    EXPECT_EQ(cfg->LongVal("StartScreenMode"), 0);
    EXPECT_EQ(cfg->LongVal("NovelAlpha"), 7);
    EXPECT_EQ(cfg->LongVal("AutoModeWait"), 400);
    EXPECT_EQ(cfg->StringVal("Font"), QStringLiteral("IPAGothic"));
    EXPECT_EQ(cfg->LongVal("CVVolume"), 7);
    EXPECT_TRUE(cfg->BoolVal("CVMute"));
    EXPECT_EQ(cfg->StringVal("CustomColor"), ColourList({"&h123456"}));
    EXPECT_EQ(cfg->CharValue(1), QStringLiteral("False,255"));
}

TEST_F(frmConfigTest, StartScreenModeOutOfRangeRestoresTheLastStateWithoutTheCentreBox) {
    cfg->SetLongVal("StartScreenMode", 5);
    dialog->LoadData();
    EXPECT_TRUE(option("optSysScreen_0")->isChecked());
    EXPECT_EQ(dialog->StartScreenMode(), 0);
    EXPECT_FALSE(box("chkSysScreenCenter")->isEnabled());

    option("optSysScreen_1")->click();
    EXPECT_EQ(dialog->StartScreenMode(), 1);
    EXPECT_TRUE(box("chkSysScreenCenter")->isEnabled());
    dialog->SetStartScreenMode(-1);
    EXPECT_TRUE(option("optSysScreen_0")->isChecked());
    EXPECT_FALSE(box("chkSysScreenCenter")->isEnabled());
    dialog->SaveData();
    EXPECT_EQ(cfg->LongVal("StartScreenMode"), 0);
}

TEST_F(frmConfigTest, AnAutoWaitNoSpeedHasSelectsNormalAndIsSavedAsItsWait) {
    cfg->SetLongVal("AutoModeWait", 1500);
    dialog->LoadData();
    for (int index = 0; index < 5; ++index) {
        EXPECT_EQ(option(Name("optGrpAuto", index))->isChecked(), index == 2) << index;
    }
    EXPECT_EQ(dialog->AutoModeWait(), 1800);
    dialog->SaveData();
    EXPECT_EQ(cfg->LongVal("AutoModeWait"), 1800);
    dialog->SetAutoModeWait(3200);
    EXPECT_TRUE(option("optGrpAuto_4")->isChecked());
}

TEST_F(frmConfigTest, AStoredFontTheListLacksIsShownAndKeptOnOK) {
    dialog->LoadData();
    EXPECT_EQ(fonts()->currentIndex(), -1);
    EXPECT_EQ(fonts()->placeholderText(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(fontPreview()->text(), QStringLiteral("ＭＳ ゴシック"));
    // The preview draws the installed stand-in of the Windows font.
    EXPECT_EQ(fontPreview()->font().family(), QStringLiteral("IPAGothic"));
    press("cmdOK");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(cfg->StringVal("Font"), QStringLiteral("ＭＳ ゴシック"));

    dialog->LoadData();
    fonts()->setCurrentIndex(1);
    EXPECT_EQ(fontPreview()->text(), QStringLiteral("IPAMincho"));
    EXPECT_EQ(fontPreview()->font().family(), QStringLiteral("IPAMincho"));
    press("cmdOK");
    EXPECT_EQ(cfg->StringVal("Font"), QStringLiteral("IPAMincho"));
}

// ---------------------------------------------------------------------------
// Custom colours

TEST_F(frmConfigTest, CustomColoursAreKeptBlueGreenRedAndWrittenRedGreenBlue) {
    dialog->SetCustomColorText(ColourList({"&h0000ff", "&HFF0000", "&h00A0B0"}));
    EXPECT_EQ(dialog->CustomColors()[0], 0xFF0000u);
    EXPECT_EQ(dialog->CustomColors()[1], 0x0000FFu);
    EXPECT_EQ(dialog->CustomColors()[2], 0xB0A000u);
    EXPECT_EQ(dialog->CustomColorText(), ColourList({"&h0000FF", "&hFF0000", "&h00A0B0"}));
    EXPECT_TRUE(boxes().isEmpty());
}

TEST_F(frmConfigTest, AMalformedCustomColourListIsReportedAndGivesBlack) {
    dialog->SetCustomColorText(ColourList({"&h0000ff"}));
    dialog->SetCustomColorText(QStringLiteral("&h0000ff,&h00ff00"));
    EXPECT_EQ(boxes(), QStringList{"カスタムカラー設定が不正です。"});
    for (std::uint32_t colour : dialog->CustomColors()) {
        EXPECT_EQ(colour, 0u);
    }
    EXPECT_EQ(dialog->CustomColorText(), ColourList({}));
    // A malformed stored list is reported while loading and the dialog goes on.
    cfg->SetStringVal("CustomColor", QStringLiteral("&hFFFFFF"));
    dialog->LoadData();
    EXPECT_EQ(boxes().size(), 2);
    EXPECT_EQ(slider("sldGrpAlpha_0")->value(), 192);
}

// ---------------------------------------------------------------------------
// Character page

TEST_F(frmConfigTest, TheCharacterPageListsEntriesAndOffersTheVoiceBoxOnlyWhereAllowed) {
    cfg->SetCharValue(0, QStringLiteral("False,255"));
    dialog->LoadData();
    QStringList labels;
    for (int row = 0; row < characters()->count(); ++row) {
        labels << characters()->item(row)->text();
    }
    EXPECT_EQ(labels, (QStringList{"アキ", "error", "レン"}));
    // The first entry is selected: colour 0xFF (blue in red-green-blue order).
    EXPECT_EQ(characters()->currentRow(), 0);
    EXPECT_EQ(colourBox(), 0x0000FFu);
    EXPECT_TRUE(widget("picChColor")->isEnabled());
    EXPECT_TRUE(widget("lblChColor")->isEnabled());
    EXPECT_TRUE(box("chkChVoiceEnabled")->isEnabled());
    EXPECT_FALSE(box("chkChVoiceEnabled")->isChecked());

    characters()->setCurrentRow(1);
    EXPECT_EQ(colourBox(), 0x0000FFu);  // the malformed entry keeps its settings by index
    EXPECT_TRUE(widget("picChColor")->isEnabled());
    EXPECT_FALSE(box("chkChVoiceEnabled")->isEnabled());
    characters()->setCurrentRow(2);
    EXPECT_EQ(colourBox(), 0x00FF00u);
    EXPECT_TRUE(box("chkChVoiceEnabled")->isChecked());
    EXPECT_FALSE(box("chkChVoiceEnabled")->isEnabled());  // third field "false"

    characters()->setCurrentRow(0);
    box("chkChVoiceEnabled")->click();
    dialog->SaveData();
    EXPECT_EQ(cfg->CharValue(0), QStringLiteral("True,255"));
    EXPECT_EQ(cfg->CharValue(1), QStringLiteral("False,255"));
    EXPECT_EQ(cfg->CharValue(2), QStringLiteral("True,65280"));
}

TEST_F(frmConfigNoCharactersTest, WithoutCharactersTheColourAndVoiceControlsStayDisabled) {
    dialog->LoadData();
    EXPECT_EQ(characters()->count(), 0);
    EXPECT_FALSE(widget("picChColor")->isEnabled());
    EXPECT_FALSE(widget("lblChColor")->isEnabled());
    EXPECT_FALSE(box("chkChVoiceEnabled")->isEnabled());
    changes.clear();
    dialog->SaveData();
    EXPECT_FALSE(changes.contains(QStringLiteral("Char:0")));
}

// The picker runs modally on the virtual clock: what the player does in it is
// scheduled input.
TEST_F(frmConfigTest, TheColourPickerSetsTheCharacterColourAndCancellingKeepsTheCustomColours) {
    dialog->LoadData();
    dialog->SetCustomColorText(ColourList({"&h111111"}));
    QColorDialog* seen = nullptr;
    const auto inPicker = [this, &seen](int code, QColor chosen, QColor custom) {
        clock().scheduleInput(clock().now() + 10, [this, &seen, code, chosen, custom] {
            seen = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(seen, nullptr);
            EXPECT_EQ(seen->currentColor(), QColor(0xFF, 0xC0, 0xC0));
            seen->setCurrentColor(chosen);
            QColorDialog::setCustomColor(1, custom);
            key(seen, code);
        });
    };

    inPicker(Qt::Key_Escape, QColor(1, 2, 3), QColor(9, 9, 9));
    press("picChColor");
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(colourBox(), 0xFFC0C0u);
    EXPECT_EQ(dialog->CustomColorText(), ColourList({"&h111111"}));

    inPicker(Qt::Key_Return, QColor(1, 2, 3), QColor(0x12, 0x34, 0x56));
    press("picChColor");
    EXPECT_EQ(colourBox(), 0x010203u);
    EXPECT_EQ(dialog->CustomColorText(), ColourList({"&h111111", "&h123456"}));
    dialog->SaveData();
    EXPECT_EQ(cfg->CharValue(0), QStringLiteral("True,66051"));
}

// ---------------------------------------------------------------------------
// Resets

TEST_F(frmConfigTest, ResettingTheSoundPageShowsDefaultsAndStoresThemOnlyOnOK) {
    cfg->SetLongVal("BGMVolume", 10);
    cfg->SetLongVal("CVVolume", 30);
    cfg->SetBoolVal("SEMute", true);
    dialog->LoadData();
    changes.clear();
    press("cmdInit_2");
    EXPECT_EQ(slider("sldSndVolume_0")->value(), 255);
    EXPECT_EQ(slider("sldSndVolume_2")->value(), 255);
    EXPECT_FALSE(box("chkSndMute_1")->isChecked());
    EXPECT_EQ(cfg->LongVal("BGMVolume"), 10);
    EXPECT_TRUE(cfg->BoolVal("SEMute"));
    EXPECT_TRUE(changes.isEmpty()) << changes.join(u',').toStdString();
    EXPECT_FALSE(cfg->DefaultMode());

    press("cmdOK");
    EXPECT_EQ(cfg->LongVal("BGMVolume"), 255);
    EXPECT_EQ(cfg->LongVal("CVVolume"), 255);
    EXPECT_FALSE(cfg->BoolVal("SEMute"));
}

TEST_F(frmConfigTest, EveryPageAndTheCustomColoursResetToTheirDefaults) {
    cfg->SetBoolVal("QueryExit", true);
    cfg->SetLongVal("StartScreenMode", 2);
    cfg->SetLongVal("WndAlpha", 3);
    cfg->SetLongVal("AutoModeWait", 400);
    cfg->SetStringVal("Font", "IPAMincho");
    cfg->SetBoolVal("OriginalTextColor", true);
    cfg->SetCharValue(0, QStringLiteral("False,255"));
    cfg->SetStringVal("CustomColor", ColourList({"&h123456"}));
    dialog->LoadData();
    for (int page = 0; page < 4; ++page) {
        press(Name("cmdInit", page));
    }
    press("cmdInitColor");
    EXPECT_FALSE(box("chkSys_0")->isChecked());
    EXPECT_TRUE(option("optSysScreen_1")->isChecked());
    EXPECT_TRUE(box("chkSysScreenCenter")->isEnabled());
    EXPECT_EQ(slider("sldGrpAlpha_0")->value(), 192);
    EXPECT_TRUE(option("optGrpAuto_2")->isChecked());
    EXPECT_EQ(fonts()->currentIndex(), -1);
    EXPECT_EQ(fontPreview()->text(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_FALSE(box("chkChOriginalColor")->isChecked());
    EXPECT_EQ(colourBox(), 0xFFC0C0u);
    EXPECT_EQ(dialog->CustomColors()[15], 0xFFFFFFu);
    EXPECT_EQ(cfg->StringVal("CustomColor"), ColourList({"&h123456"}));
    EXPECT_EQ(cfg->LongVal("WndAlpha"), 3);

    press("cmdOK");
    EXPECT_EQ(cfg->StringVal("Font"), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(cfg->CharValue(0), QStringLiteral("True,16761024"));
    EXPECT_EQ(cfg->LongVal("WndAlpha"), 192);
}

// ---------------------------------------------------------------------------
// Live preview, OK and Cancel

TEST_F(frmConfigTest, MusicEffectsAndOpacitiesArePreviewedButNotTheVoice) {
    dialog->LoadData();
    changes.clear();
    slider("sldGrpAlpha_0")->setValue(40);
    slider("sldGrpAlpha_1")->setValue(50);
    slider("sldSndVolume_0")->setValue(60);
    slider("sldSndVolume_1")->setValue(70);
    slider("sldSndVolume_2")->setValue(80);
    box("chkSndMute_0")->click();
    box("chkSndMute_1")->click();
    box("chkSndMute_2")->click();
    EXPECT_EQ(changes, (QStringList{"WndAlpha", "NovelAlpha", "BGMVolume", "SEVolume", "BGMMute",
                                    "SEMute"}));
    EXPECT_EQ(cfg->LongVal("WndAlpha"), 40);
    EXPECT_EQ(cfg->LongVal("SEVolume"), 70);
    EXPECT_EQ(cfg->LongVal("CVVolume"), 255);
    EXPECT_TRUE(cfg->BoolVal("BGMMute"));
    EXPECT_FALSE(cfg->BoolVal("CVMute"));
}

TEST_F(frmConfigTest, CancelPutsThePreviewedMusicBackAndNeverTouchedTheVoice) {
    cfg->SetLongVal("BGMVolume", 200);
    cfg->SetLongVal("CVVolume", 100);
    dialog->LoadData();
    slider("sldSndVolume_2")->setValue(5);
    slider("sldSndVolume_0")->setValue(6);
    box("chkSys_0")->click();
    EXPECT_EQ(cfg->LongVal("BGMVolume"), 6);
    changes.clear();

    press("cmdCancel");
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(cfg->LongVal("BGMVolume"), 200);
    EXPECT_EQ(cfg->LongVal("CVVolume"), 100);
    EXPECT_FALSE(cfg->BoolVal("QueryExit"));
    // Only the previewed key that changed is announced again.
    EXPECT_EQ(changes, QStringList{"BGMVolume"});
}

TEST_F(frmConfigTest, TheCloseBoxAndEscapeCancelAndReturnAccepts) {
    dialog->LoadData();
    dialog->show();
    slider("sldGrpAlpha_1")->setValue(9);
    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(cfg->LongVal("NovelAlpha"), 160);

    dialog->LoadData();
    dialog->show();
    slider("sldSndVolume_1")->setValue(9);
    key(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(cfg->LongVal("SEVolume"), 255);

    dialog->LoadData();
    dialog->show();
    box("chkSys_0")->setChecked(true);
    key(dialog.get(), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(cfg->BoolVal("QueryExit"));
}
