#include "base/StringKeyHash.h"

#include <QRandomGenerator>
#include <cstdint>

namespace {

std::uint64_t ProcessSeed() {
    static const std::uint64_t seed = QRandomGenerator::system()->generate64();
    return seed;
}

// The final mix of MurmurHash3: every input bit reaches every output bit.
std::uint64_t Mix(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}

}  // namespace

// FNV-1a over the UTF-16 code units, started from the process seed.
std::size_t StringKeyHash::operator()(QStringView key) const noexcept {
    constexpr std::uint64_t kPrime = 0x100000001b3ULL;
    std::uint64_t h = 0xcbf29ce484222325ULL ^ ProcessSeed();
    for (const QChar ch : key) {
        h = (h ^ ch.unicode()) * kPrime;
    }
    return static_cast<std::size_t>(Mix(h ^ static_cast<std::uint64_t>(key.size())));
}
