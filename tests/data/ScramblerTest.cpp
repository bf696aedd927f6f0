#include <gtest/gtest.h>

#include "data/Scrambler.h"

namespace {

// The scrambled form computed arithmetically, independently of the implementation:
// each byte multiplied by 8 with its three top bits wrapped round, then XORed with
// the key character.
QByteArray expectedScramble(const QString& text) {
    const char* key = "kV72mTqP#4)zR%8wn!Lc=Hx";
    QByteArray out;
    for (QChar ch : text) {
        for (int b : {ch.unicode() % 256, ch.unicode() / 256}) {
            const int rotated = (b * 8) % 256 + b / 32;
            out.append(
                static_cast<char>(rotated ^ static_cast<unsigned char>(key[out.size() % 23])));
        }
    }
    return out;
}

}  // namespace

TEST(Scrambler, MatchesKnownBytesAndTheArithmeticForm) {
    // "A" is 41 00: 41 rotated is 0A, XOR 'k' (6B) = 61; 00 XOR 'V' (56) = 56.
    EXPECT_EQ(Scrambler::scrambleText("A"), QByteArray("\x61\x56", 2));
    QString text = "[Config]\r\nTextSpeed=50\r\n名前=値～①";
    while (text.size() < 100) {
        text += text;  // longer than the key, so it repeats
    }
    EXPECT_EQ(Scrambler::scrambleText(text), expectedScramble(text));
}

TEST(Scrambler, RoundTripsAnyTextAndRefusesOddInput) {
    QString text;
    for (int u = 0; u < 0x10000; u += 97) {
        text.append(QChar(static_cast<char16_t>(u)));
    }
    const QByteArray scrambled = Scrambler::scrambleText(text);
    EXPECT_EQ(scrambled.size(), text.size() * 2);
    EXPECT_EQ(Scrambler::unscrambleText(scrambled), text);
    const QByteArray bytes("\x00\xff\x80", 3);
    EXPECT_EQ(Scrambler::unscramble(Scrambler::scramble(bytes)), bytes);
    EXPECT_TRUE(Scrambler::scrambleText(QString()).isEmpty());
    EXPECT_EQ(Scrambler::unscrambleText(QByteArray()), QString());
    EXPECT_FALSE(Scrambler::unscrambleText(QByteArray("abc")).has_value());
}
