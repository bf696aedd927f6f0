// Picture definitions and saved event rectangles from outside: every line taken
// as a picture definition, and the whole text as a saved game-view section whose
// rectangles are loaded, saved and loaded again.
#include <cstdint>

#include "data/INISection.h"
#include "platform/os/Cp932Codec.h"
#include "screen/ItemSpec.h"
#include "screen/clsEventRects.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = Cp932Codec::decodeFileText(bytes);
    ParseItemSpec(text);
    for (const QStringView line : QStringView(text).split(u'\n')) {
        ParseItemSpec(line);
    }

    INISection saved;
    saved.SetText(text);
    clsEventRects rects;
    rects.LoadStatus(saved);
    clsEventRects copies;
    for (const auto& rect : rects) {
        const auto copy = copies.AddFromStatusText(clsEventRects::StatusText(*rect));
        if (!copy || copy->IsPntInRect(copy->Left, copy->Bottom) !=
                         rect->IsPntInRect(rect->Left, rect->Bottom)) {
            __builtin_trap();  // a rectangle's stored form must read back
        }
    }
    rects.ShowAllRectLines();
    INISection first;
    rects.SaveStatus(first);
    clsEventRects again;
    again.LoadStatus(first);
    INISection second;
    again.SaveStatus(second);
    if (second.Text() != first.Text()) {
        __builtin_trap();  // saved rectangles must load back to the same save
    }
    return 0;
}
