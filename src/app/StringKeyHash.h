#pragma once

#include <QString>
#include <cstddef>
#include <unordered_map>

// Hash of the keys of the engine's lookup tables (INI keys and sections,
// scenario labels): short strings looked up on every scenario step, where
// Qt's general string hash costs more than the rest of the lookup. Seeded once
// per process, so keys in a game's files cannot be crafted to collide.
struct StringKeyHash {
    std::size_t operator()(const QString& key) const noexcept;
};

template <class Value>
using StringKeyMap = std::unordered_map<QString, Value, StringKeyHash>;
