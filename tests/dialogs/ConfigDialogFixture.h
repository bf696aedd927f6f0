#pragma once

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QRadioButton>
#include <QSlider>
#include <memory>

#include "TestSupport.h"
#include "base/AppState.h"
#include "data/Configuration.h"
#include "data/INIFile.h"
#include "dialogs/frmConfig.h"
#include "platform/os/VirtualClock.h"

// A settings dialog over settings of its own: the defaults below, two listed
// fonts and three character entries, one of them malformed. Message boxes and
// the trace go to a scripted player on a virtual clock.
class ConfigDialogFixture : public ::testing::Test {
protected:
    static constexpr const char* kDefaults =
        "[Game]\r\nTitle=設定の試験\r\n"
        "[Config]\r\nStartScreenMode=1\r\nFullMode=False\r\nPos=\r\nStartCenter=True\r\n"
        "DXFullScreen=False\r\nCustomCursor=False\r\nTextSpeed=2\r\nTextAutoClick=False\r\n"
        "AutoModeWait=1800\r\nFont=ＭＳ ゴシック\r\nTextShadow=True\r\n"
        "OriginalTextColor=False\r\n"
        "CustomColor=&h000000,&h000000,&h000000,&h000000,&h000000,&h000000,&h000000,"
        "&h000000,&h000000,&h000000,&h000000,&h000000,&h000000,&h000000,&h000000,&hFFFFFF\r\n"
        "WndAlpha=192\r\nNovelAlpha=160\r\nBGMVolume=255\r\nSEVolume=255\r\nCVVolume=255\r\n"
        "BGMMute=False\r\nSEMute=False\r\nCVMute=False\r\nCVPan=False\r\nMaleVoice=True\r\n"
        "DeactivateMute=False\r\nDeactivateWnd=False\r\nQueryExit=False\r\n"
        "QueryRestartTitle=True\r\nQuerySave=True\r\nQueryLoad=True\r\nQueryQuickSave=False\r\n"
        "QueryQuickLoad=True\r\nSkipStopUnread=True\r\nSkipGrpEffect=True\r\n"
        "SkipAfterSelect=False\r\nLastSaveLoadPage=0\r\n"
        "Char:0=True,16761024\r\nChar:1=False,255\r\nChar:2=True,65280\r\n";

    void SetUp() override {
        App().AppDir = dir.path();
        App().ResetSwitchesAndFolders();
        App().SaveDir = dir.file("save");
        systemInfo.SetText(QString::fromUtf8(kDefaults) + CharConfig());
        cfg = std::make_unique<Configuration>([] {
            return QStringList{QStringLiteral("IPAGothic"), QStringLiteral("IPAMincho")};
        });
        ASSERT_TRUE(cfg->Init(systemInfo));
        cfg->onChangeSetting = [this](const QString& key) { changes << key; };
        dialog = std::make_unique<frmConfig>(*cfg, systemInfo, nullptr);
    }
    void TearDown() override {
        dialog.reset();
        cfg.reset();
        App().SaveDir.clear();
        App().ResetSwitchesAndFolders();
    }

    // Section "CharConfig" of the system information.
    virtual QString CharConfig() const {
        return QStringLiteral(
            "[CharConfig]\r\nListCount=3\r\nItem:0=アキ,aki,True\r\nItem:1=壊れた項目,x\r\n"
            "Item:2=レン,ren,false\r\nMaleCID=ren\r\n");
    }

    template <typename Widget>
    Widget* control(const QString& name) const {
        auto* widget = dialog->findChild<Widget*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    QCheckBox* box(const QString& name) const { return control<QCheckBox>(name); }
    QRadioButton* option(const QString& name) const { return control<QRadioButton>(name); }
    QSlider* slider(const QString& name) const { return control<QSlider>(name); }
    void press(const QString& button) const { control<QAbstractButton>(button)->click(); }

    // A key press as the keyboard delivers it to the dialog.
    void key(QWidget* target, int code) const {
        QKeyEvent down(QEvent::KeyPress, code, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &down);
        QKeyEvent up(QEvent::KeyRelease, code, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &up);
    }

    VirtualClock& clock() { return static_cast<VirtualClock&>(player.platform.clock()); }
    // The texts of the message boxes shown, in order.
    QStringList boxes() const {
        QStringList texts;
        for (const QString& line : player.platform.trace().lines()) {
            const QString event = line.section(u' ', 1);
            if (event.startsWith(QStringLiteral("msgbox \""))) {
                texts << event.mid(8, event.lastIndexOf(QStringLiteral("\" -> ")) - 8);
            }
        }
        return texts;
    }

    TempFolder dir;
    mutable ScriptedPlayer player;
    INIFile systemInfo;
    std::unique_ptr<Configuration> cfg;
    std::unique_ptr<frmConfig> dialog;
    QStringList changes;
};
