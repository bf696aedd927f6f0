#include <gtest/gtest.h>

#include "platform/os/Cp932Codec.h"

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) {
        out.append(static_cast<char>(v));
    }
    return out;
}

}  // namespace

TEST(Cp932Codec, WindowsSpecificCharactersRoundTrip) {
    // Characters where CP932 differs from plain Shift_JIS, and vendor extensions.
    const QString text = QStringLiteral("～①㈱髙∥－￢ｱｲｳﾞ漢字ABC");
    EXPECT_EQ(Cp932Codec::decode(Cp932Codec::encode(text)), text);
}

TEST(Cp932Codec, KnownCodes) {
    EXPECT_EQ(Cp932Codec::encode(QStringLiteral("～")), bytes({0x81, 0x60}));
    EXPECT_EQ(Cp932Codec::encode(QStringLiteral("①")), bytes({0x87, 0x40}));
    EXPECT_EQ(Cp932Codec::encode(QStringLiteral("あ")), bytes({0x82, 0xA0}));
    EXPECT_EQ(Cp932Codec::encode(QStringLiteral("ｱ")), bytes({0xB1}));
    EXPECT_EQ(Cp932Codec::decode(bytes({0x88, 0x9F})), QStringLiteral("亜"));
}

TEST(Cp932Codec, DuplicateCodesEncodeToTheWindowsChoice) {
    // 髙 exists as an IBM extension (FB FC) and a NEC-selected one (EE E0): both
    // decode to it, and it is written with the IBM code.
    EXPECT_EQ(Cp932Codec::decode(bytes({0xEE, 0xE0})), QStringLiteral("髙"));
    EXPECT_EQ(Cp932Codec::decode(bytes({0xFB, 0xFC})), QStringLiteral("髙"));
    EXPECT_EQ(Cp932Codec::encode(QStringLiteral("髙")), bytes({0xFB, 0xFC}));
    // ∵ is in JIS row 2 and in NEC row 13: the JIS code wins.
    EXPECT_EQ(Cp932Codec::encode(QStringLiteral("∵")), bytes({0x81, 0xE6}));
    // Roman numeral one: NEC row 13 before the IBM extension.
    EXPECT_EQ(Cp932Codec::encode(QStringLiteral("Ⅰ")), bytes({0x87, 0x54}));
}

TEST(Cp932Codec, InvalidBytesBecomeReplacementCharacters) {
    const QChar fffd(0xFFFD);
    // Lead byte at the end of the input.
    EXPECT_EQ(Cp932Codec::decode(bytes({'A', 0x82})), QStringLiteral("A") + fffd);
    // Lead byte followed by a byte that cannot trail: the second byte is read again.
    EXPECT_EQ(Cp932Codec::decode(bytes({0x82, 0x31})), QString(fffd) + QStringLiteral("1"));
    // A well-formed pair with no character assigned.
    EXPECT_EQ(Cp932Codec::decode(bytes({0x85, 0x40})), QString(fffd));
}

TEST(Cp932Codec, EveryByteSequenceDecodesWithoutLoss) {
    QByteArray all;
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; b += 7) {
            all.append(static_cast<char>(a));
            all.append(static_cast<char>(b));
        }
    }
    const QString text = Cp932Codec::decode(all);
    EXPECT_FALSE(text.isEmpty());
    EXPECT_LE(text.size(), all.size());
}

TEST(Cp932Codec, UnencodableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(Cp932Codec::encode(QStringLiteral("a€b")), QByteArray("a?b"));
    EXPECT_EQ(Cp932Codec::encode(QString::fromUtf8("\xF0\x9F\x98\x80")), QByteArray("??"));
}

TEST(Cp932Codec, ByteLengthCountsCodePageBytes) {
    EXPECT_EQ(Cp932Codec::byteLength(u'A'), 1);
    EXPECT_EQ(Cp932Codec::byteLength(u'ｱ'), 1);  // half-width katakana
    EXPECT_EQ(Cp932Codec::byteLength(u'ア'), 2);
    EXPECT_EQ(Cp932Codec::byteLength(u'～'), 2);
    EXPECT_EQ(Cp932Codec::byteLength(u'€'), 1);  // written as "?"
}

TEST(Cp932Codec, FileTextWithByteOrderMarkIsUtf8) {
    const QByteArray utf8 = QByteArray("\xEF\xBB\xBF") + QStringLiteral("名前=値").toUtf8();
    EXPECT_EQ(Cp932Codec::decodeFileText(utf8), QStringLiteral("名前=値"));
    const QByteArray cp932 = Cp932Codec::encode(QStringLiteral("名前=値"));
    EXPECT_EQ(Cp932Codec::decodeFileText(cp932), QStringLiteral("名前=値"));
}
