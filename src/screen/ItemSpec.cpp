#include "screen/ItemSpec.h"

#include <QList>
#include <cmath>
#include <limits>

namespace {

// A decimal number, blanks around it allowed, truncated toward zero; 0 when
// the item is not a number or does not fit in 32 bits.
std::int32_t ItemNumber(QStringView item) {
    bool ok = false;
    const double value = item.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return 0;
    }
    const double whole = std::trunc(value);
    if (whole < std::numeric_limits<std::int32_t>::min() ||
        whole > std::numeric_limits<std::int32_t>::max()) {
        return 0;
    }
    return static_cast<std::int32_t>(whole);
}

}  // namespace

ItemSpec ParseItemSpec(QStringView text) {
    const QList<QStringView> items = text.split(u',');
    const auto item = [&](qsizetype index) {
        return index < items.size() ? items[index] : QStringView();
    };
    ItemSpec spec;
    spec.file = item(0).trimmed().toString();
    spec.x = ItemNumber(item(1));
    spec.y = ItemNumber(item(2));
    spec.width = ItemNumber(item(3));
    spec.height = ItemNumber(item(4));
    spec.extra = ItemNumber(item(5));
    return spec;
}
