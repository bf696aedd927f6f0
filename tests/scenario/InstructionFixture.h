#pragma once

#include <ostream>

#include "InstructionTable.h"
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

    QString Table() const override { return InstructionTable(); }
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
