// Assembled scenarios from outside, as an archive holds them: instruction lines
// put into the script store under a name, every line decoded against the
// engine's instruction table, and the script run from its start, step after
// step, by an interpreter on a recording host (the host ends a run that never
// waits after a bounded number of instructions).
#include <cstdint>
#include <memory>

#include "FakeInterpreterHost.h"
#include "InstructionTable.h"
#include "base/AppState.h"
#include "data/INIFile.h"
#include "data/SharedData.h"
#include "data/clsSaveData.h"
#include "platform/os/Cp932Codec.h"
#include "scenario/Script.h"
#include "scenario/clsInterpreter.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

constexpr int kMaxInstructions = 2000;
constexpr int kMaxSteps = 20;

void DecodeEveryLine(const clsInterpreter& interpreter, const Script& script) {
    for (qint32 address = 0; address < script.Count() && address < 4096; ++address) {
        QStringList words;
        QString error;
        const bool decoded = interpreter.DecodeInstruction(script.Element(address), words, error);
        Require(decoded ? !words.isEmpty() && error.isEmpty() : !error.isEmpty());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = Cp932Codec::decodeFileText(bytes);
    App().ResetSwitchesAndFolders();
    INIFile info;
    info.SetText(QStringLiteral("[TextBlock]\r\nCharCount=20\r\nLineCount=3\r\n") +
                 InstructionTable() + QStringLiteral("[const]\r\nMAX=3\r\n"));
    SharedData shared;
    clsSaveData save;
    for (const char* name : {"count", "total", "r", "flag"}) {
        save.Var().SetKeyValue(QLatin1String(name), QStringLiteral("0"));
    }
    shared.Var().SetKeyValue(QStringLiteral("plays"), QStringLiteral("0"));
    FakeInterpreterHost host;
    host.closeAfterYields = kMaxInstructions;
    clsInterpreter interpreter(host, info, shared, save);
    interpreter.Init();
    interpreter.StepStart();
    const std::shared_ptr<Script> script =
        interpreter.Scripts().AddScript(QStringLiteral("fuzz"), text, false);
    Require(script != nullptr && script->Count() >= 1);
    Require(interpreter.Scripts().GetScript(QStringLiteral("FUZZ"), false) == script);
    DecodeEveryLine(interpreter, *script);
    if (!interpreter.GoLabel(QStringLiteral("fuzz."))) {
        return 0;
    }
    for (int step = 0; step < kMaxSteps && interpreter.StepNext(); ++step) {
        interpreter.SetWaitMode(clsInterpreter::kRunning);
    }
    interpreter.SaveStatus();
    return 0;
}
