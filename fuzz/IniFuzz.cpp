// INI documents from outside: CP932 text parsed, read key by key, changed and
// written back; and the same bytes taken as a scrambled file.
#include <cstdint>

#include "data/INIFile.h"
#include "data/Scrambler.h"
#include "platform/os/Cp932Codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    INIFile doc;
    doc.SetText(Cp932Codec::decodeFileText(bytes));
    const QString text = doc.Text();
    for (const auto& section : doc.Sections()) {
        for (int line = 0; line < section->Count(); ++line) {
            section->KeyValue(section->LineKey(line));
        }
        section->SetKeyValue(QStringLiteral("Key"), QStringLiteral("value"));
        section->LineRemove(0);
        section->DebugCondition();
    }
    doc.Optimize();
    INIFile again;
    again.SetText(text);
    if (again.Text() != text) {
        __builtin_trap();  // serialising a parsed document must give back its text
    }
    Cp932Codec::encode(text);
    if (const auto unscrambled = Scrambler::unscrambleText(bytes)) {
        if (Scrambler::scrambleText(*unscrambled) != bytes.toByteArray()) {
            __builtin_trap();
        }
    }
    return 0;
}
