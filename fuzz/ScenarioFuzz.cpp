// Scenario source from outside: CP932 (or UTF-8) text assembled with small
// text-block limits and a few nameplates, then assembled again to check that
// each call starts afresh.
#include <cstdint>

#include "platform/os/Cp932Codec.h"
#include "scenario/ScenarioConverter.h"
#include "scenario/TextLines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = Cp932Codec::decodeFileText(bytes);
    const QStringList nameplates{QStringLiteral("私"), QStringLiteral("太郎"), QStringLiteral("n"),
                                 QStringLiteral("\\")};
    ScenarioConverter converter;
    if (!converter.Init(12, 3, nameplates)) {
        __builtin_trap();
    }
    const bool assembled = converter.Assemble(text);
    const QString script = converter.RegularScript();
    const QString message = converter.ErrMsg();
    const qint64 line = converter.ErrLine();
    if (assembled) {
        if (script.isEmpty() || !message.isEmpty()) {
            __builtin_trap();  // a program has at least one instruction
        }
    } else {
        const QList<QStringView> lines = TextLines::Split(text);
        if (message.isEmpty() || line < 1 || line > lines.size()) {
            __builtin_trap();  // every error names a line of the source
        }
        if (converter.ErrSource() != lines[line - 1]) {
            __builtin_trap();  // and shows that line as it is
        }
    }
    if (converter.Assemble(text) != assembled || converter.RegularScript() != script ||
        converter.ErrMsg() != message || converter.ErrLine() != line) {
        __builtin_trap();  // the result depends on the text alone
    }
    return 0;
}
