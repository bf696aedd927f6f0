#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>

// A picture definition from a layout value: "file,x,y,width,height,extra".
struct ItemSpec {
    QString file;             // picture file name; "" for an invisible region
    std::int32_t x = 0;       // left on the screen
    std::int32_t y = 0;       // top on the screen
    std::int32_t width = 0;   // 0: the picture's own cell width
    std::int32_t height = 0;  // 0: the picture's own cell height
    std::int32_t extra = 0;   // sixth number, for the caller

    bool operator==(const ItemSpec&) const = default;
};

// Reads up to six comma-separated items; items after the sixth are ignored. The
// file name is trimmed; the others are read as numbers and truncated to
// integers. A missing or unreadable item gives 0 (or "" for the file).
ItemSpec ParseItemSpec(QStringView text);
