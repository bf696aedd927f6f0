#pragma once

#include <ostream>

#include "InterpreterFixture.h"
#include "TestSupport.h"

// Every instruction of a game's table, with the defaults games give them, on a
// screen of twice the script size (script 640x480, screen 1280x960).
class InstructionFixture : public InterpreterFixture {
protected:
    void SetUp() override {
        InterpreterFixture::SetUp();
        App().ScreenSizeX = 1280;
        App().ScreenSizeY = 960;
        host.longSettings.insert(QStringLiteral("TextSpeed"), 2);
        host.longSettings.insert(QStringLiteral("AutoModeWait"), 1000);
        App().SaveDir = dir.file(QStringLiteral("savedata"));
        INIFile omake;
        omake.SetText(QStringLiteral("[cgmode_cmd]\r\ncmd0=room\r\ncmd1=st_a_1\r\ncmd2=op\r\n"));
        shared.Init(info, omake);
        // Ends a test scenario with a wait that makes no host calls.
        intprt->RegisterInstruction(QStringLiteral("stop"), [this](const QStringList&) {
            intprt->SetWaitMode(clsInterpreter::kClickWait);
        });
    }

    bool seenCG(const QString& name) {
        return shared.CGHistory().KeyValue(name) == QStringLiteral("1");
    }

    QString Table() const override {
        return QStringLiteral(
            "[Instruction]\r\n"
            "go\t*\r\ncall\t*\r\nreturn\r\nlet\t*\t*\r\nnop\r\n"
            "put\t*\r\npt\r\ntextwindow\r\ntextnovel\r\nts\r\nth\r\nwnd\t%\r\nsite\t*\r\n"
            "bg\t*\t%\t%\r\nbgfill\t0\r\nbglc\t%\t%\t%\r\nbgmv\t0\t0\t%\r\n"
            "cg\t*\t%\t%\t-1\t-1\r\ncgh\t%\r\ncglc\t*\t%\t%\t%\r\ncgmv\t*\t0\t0\t%\r\n"
            "cglcas\t*\t%\t%\t0\r\ncgmvas\t*\t0\t0\t0\r\ncga\t*\t%\t0\r\ncgaas\t*\t%\t0\r\n"
            "cgbc\t0\r\ncgf\t*\t-1\t-1\r\ncghfas\t*\t0\r\ncgvfas\t*\t0\r\ncgactclear\t*\r\n"
            "cgactadd\t*\t-1\t-1\t-1\t-1\t-1\r\ncgactstart\t*\r\ncgactend\t*\r\n"
            "cgactcomplete\t*\r\nfc\t%\r\n"
            "dd\r\nddb\t*\r\nddw\t*\r\nda\r\ndaa\t*\r\ndam\t*\t*\r\nwto\t*\r\nbto\t*\r\n"
            "mto\t*\t*\t*\r\n"
            "wait\r\nwaitcv\r\nwaitauto\t*\r\npause\t*\r\npauseabs\t*\r\n"
            "bgm\t*\t%\r\nbgmvolumerate\t%\r\nse\t*\r\nsel\t*\t0\r\nstopcv\r\nplaymovie\t*\t0\r\n"
            "item\t*\t*\r\nselect\r\ner\t*\t*\t*\t*\t%\t%\r\nercg\t*\t%\t%\r\nselecter\r\n"
            "stop\r\nalarm\t%\r\nrestarttitle\r\nrestartreplaymode\r\nplayending\t*\t*\t*\t%\r\n");
    }
    QString ExtraSystemInfo() const override {
        return QStringLiteral(
            "[Game]\r\nWindowBlockPrefix=<w>\r\nNovelBlockPrefix=<n>\r\nChoicePrefix=・\r\n");
    }

    // Runs the lines (then a wait) as a new scenario and gives the host calls
    // they made.
    QStringList calls(const QString& lines) {
        host.calls.clear();
        const QString name = QStringLiteral("t%1").arg(++scenarios);
        scenario(name, lines + QStringLiteral("\r\nstop\r\n"));
        run(name + QLatin1Char('.'));
        return host.calls;
    }

    int scenarios = 0;
};
