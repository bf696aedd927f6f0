#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "FakeInterpreterHost.h"
#include "TestSupport.h"
#include "base/AppState.h"
#include "data/INIFile.h"
#include "data/SharedData.h"
#include "data/clsSaveData.h"
#include "platform/os/Cp932Codec.h"
#include "scenario/Script.h"
#include "scenario/clsInterpreter.h"

// An interpreter on the fake host, reading scenarios from a temporary game
// folder, with the instruction table that Table() gives.
class InterpreterFixture : public ::testing::Test {
protected:
    void SetUp() override {
        App().AppDir = dir.path();
        App().ResetSwitchesAndFolders();
        App().ScenarioFileMode = true;
        info.SetText(QStringLiteral("[TextBlock]\r\nCharCount=20\r\nLineCount=3\r\n") + Table() +
                     QStringLiteral("[const]\r\nMAX=3\r\n") + ExtraSystemInfo());
        for (const char* name : {"count", "total", "r", "flag"}) {
            save.Var().SetKeyValue(QLatin1String(name), QStringLiteral("0"));
        }
        shared.Var().SetKeyValue(QStringLiteral("plays"), QStringLiteral("0"));
        intprt = std::make_unique<clsInterpreter>(host, info, shared, save);
        intprt->Init();
        intprt->StepStart();
    }
    void TearDown() override {
        intprt.reset();
        App().ResetSwitchesAndFolders();
    }

    // The "Instruction" section, header included.
    virtual QString Table() const = 0;
    virtual QString ExtraSystemInfo() const { return QString(); }

    void scenario(const QString& name, const QString& text) {
        dir.write(QStringLiteral("scenario/") + name + QStringLiteral(".txt"),
                  Cp932Codec::encode(text));
    }
    QString var(const QString& name) { return save.Var().KeyValue(name); }
    // Starts at a label expression and runs to the first wait.
    bool run(const QString& label) {
        EXPECT_TRUE(intprt->GoLabel(label));
        return intprt->StepNext();
    }

    TempFolder dir;
    FakeInterpreterHost host;
    INIFile info;
    SharedData shared;
    clsSaveData save;
    std::unique_ptr<clsInterpreter> intprt;
};
