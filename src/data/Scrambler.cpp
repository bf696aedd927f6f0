#include "data/Scrambler.h"

#include <cstdint>

static_assert(Scrambler::kKeyLength == 23);

namespace {

std::uint8_t rotateLeft(std::uint8_t b, int bits) {
    return static_cast<std::uint8_t>((b << bits) | (b >> (8 - bits)));
}

std::uint8_t keyByte(qsizetype i) {
    return static_cast<std::uint8_t>(Scrambler::kKey[i % Scrambler::kKeyLength]);
}

}  // namespace

QByteArray Scrambler::scramble(QByteArrayView plain) {
    QByteArray out(plain.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < plain.size(); ++i) {
        out[i] = static_cast<char>(rotateLeft(static_cast<std::uint8_t>(plain[i]), 3) ^ keyByte(i));
    }
    return out;
}

QByteArray Scrambler::unscramble(QByteArrayView scrambled) {
    QByteArray out(scrambled.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < scrambled.size(); ++i) {
        out[i] =
            static_cast<char>(rotateLeft(static_cast<std::uint8_t>(scrambled[i]) ^ keyByte(i), 5));
    }
    return out;
}

QByteArray Scrambler::scrambleText(const QString& text) {
    QByteArray plain(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        plain[2 * i] = static_cast<char>(unit & 0xFF);
        plain[2 * i + 1] = static_cast<char>(unit >> 8);
    }
    return scramble(plain);
}

std::optional<QString> Scrambler::unscrambleText(QByteArrayView scrambled) {
    if (scrambled.size() % 2 != 0) {
        return std::nullopt;
    }
    const QByteArray plain = unscramble(scrambled);
    QString text(plain.size() / 2, Qt::Uninitialized);
    char16_t* units = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < text.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<std::uint8_t>(plain[2 * i]) |
                                         (static_cast<std::uint8_t>(plain[2 * i + 1]) << 8));
    }
    return text;
}
