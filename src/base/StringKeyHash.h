#pragma once

#include <QString>
#include <QStringView>
#include <cstddef>
#include <functional>
#include <unordered_map>

// Hash of the keys of the engine's lookup tables (INI keys and sections,
// scenario labels): short strings looked up on every scenario step, where
// Qt's general string hash costs more than the rest of the lookup. Seeded once
// per process, so keys in a game's files cannot be crafted to collide.
// Views are looked up without making a string.
struct StringKeyHash {
    using is_transparent = void;
    std::size_t operator()(QStringView key) const noexcept;
    std::size_t operator()(const QString& key) const noexcept { return (*this)(QStringView(key)); }
};

template <class Value>
using StringKeyMap = std::unordered_map<QString, Value, StringKeyHash, std::equal_to<>>;
