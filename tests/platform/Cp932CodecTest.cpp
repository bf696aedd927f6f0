#include "platform/os/Cp932Codec.h"

#include <gtest/gtest.h>

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) {
        out.append(static_cast<char>(v));
    }
    return out;
}

}  // namespace

TEST(Cp932Codec, KnownCodesAndWindowsChoicesForDuplicates) {
    // Characters where CP932 differs from plain Shift_JIS, and vendor extensions.
    const QString text = "～①㈱髙∥－￢ｱｲｳﾞ漢字ABC";
    EXPECT_EQ(Cp932Codec::decode(Cp932Codec::encode(text)), text);
    const std::pair<const char16_t*, QByteArray> codes[] = {
        {u"～", bytes({0x81, 0x60})},
        {u"①", bytes({0x87, 0x40})},
        {u"あ", bytes({0x82, 0xA0})},
        {u"ｱ", bytes({0xB1})},
        {u"亜", bytes({0x88, 0x9F})},
        // 髙 is an IBM extension (FB FC) and a NEC-selected one (EE E0): written with the IBM code.
        {u"髙", bytes({0xFB, 0xFC})},
        // ∵ is in JIS row 2 and in NEC row 13: the JIS code wins.
        {u"∵", bytes({0x81, 0xE6})},
        // Roman numeral one: NEC row 13 before the IBM extension.
        {u"Ⅰ", bytes({0x87, 0x54})}};
    for (const auto& [character, code] : codes) {
        EXPECT_EQ(Cp932Codec::encode(character), code) << code.toHex().toStdString();
        EXPECT_EQ(Cp932Codec::decode(code), character) << code.toHex().toStdString();
    }
    EXPECT_EQ(Cp932Codec::decode(bytes({0xEE, 0xE0})), "髙");
}

TEST(Cp932Codec, InvalidBytesBecomeReplacementCharactersAndNothingIsLost) {
    const QChar fffd(0xFFFD);
    EXPECT_EQ(Cp932Codec::decode(bytes({'A', 0x82})), "A" + QString(fffd));  // lead byte at the end
    // Lead byte followed by a byte that cannot trail: the second byte is read again.
    EXPECT_EQ(Cp932Codec::decode(bytes({0x82, 0x31})), fffd + QString("1"));
    EXPECT_EQ(Cp932Codec::decode(bytes({0x85, 0x40})), QString(fffd));  // no character assigned

    // Every lead and trail byte pair is one character: U+FFFD, or one whose own
    // code reads back as it.
    int defined = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead > 0x9F && lead < 0xE0) {
            continue;
        }
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) {
                continue;
            }
            const QByteArray code = bytes({lead, trail});
            const QString text = Cp932Codec::decode(code);
            ASSERT_EQ(text.size(), 1) << code.toHex().toStdString();
            if (text[0] == fffd) {
                continue;
            }
            ++defined;
            const QByteArray back = Cp932Codec::encode(text);
            EXPECT_EQ(Cp932Codec::decode(back), text) << code.toHex().toStdString();
            // Only the NEC and IBM extension rows hold second codes of a character.
            const bool extensionRow = lead == 0x87 || lead == 0xED || lead == 0xEE || lead >= 0xFA;
            if (back != code) {
                EXPECT_TRUE(extensionRow)
                    << code.toHex().toStdString() << " written as " << back.toHex().toStdString();
            }
        }
    }
    // JIS X 0208 alone defines 6879 characters.
    EXPECT_GE(defined, 6879);
}

TEST(Cp932Codec, EveryEncodableCharacterRoundTripsExactly) {
    int encodable = 0;
    for (int unit = 0; unit <= 0xFFFF; ++unit) {
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            continue;
        }
        const QString text(QChar(static_cast<char16_t>(unit)));
        const QByteArray code = Cp932Codec::encode(text);
        if (code == "?" && unit != '?') {
            continue;
        }
        ++encodable;
        EXPECT_EQ(code.size(), Cp932Codec::byteLength(static_cast<char16_t>(unit))) << unit;
        EXPECT_EQ(Cp932Codec::decode(code), text) << unit;
    }
    // ASCII, the 63 half-width katakana and the 6879 characters of JIS X 0208.
    EXPECT_GE(encodable, 128 + 63 + 6879);
    for (int byte = 0; byte < 0x80; ++byte) {
        EXPECT_EQ(Cp932Codec::encode(QString(QChar(byte))), bytes({byte})) << byte;
    }
    for (int byte = 0xA1; byte <= 0xDF; ++byte) {
        EXPECT_EQ(Cp932Codec::encode(QString(QChar(0xFF61 + byte - 0xA1))), bytes({byte})) << byte;
    }
}

TEST(Cp932Codec, UnencodableCharactersBecomeQuestionMarksAndCountAsOneByte) {
    EXPECT_EQ(Cp932Codec::encode(u"a€b"), "a?b");
    EXPECT_EQ(Cp932Codec::encode(QString::fromUtf8("\xF0\x9F\x98\x80")), "??");
    const std::pair<char16_t, int> lengths[] = {
        {u'A', 1}, {u'ｱ', 1}, {u'ア', 2}, {u'～', 2}, {u'€', 1}};
    for (const auto& [unit, length] : lengths) {
        EXPECT_EQ(Cp932Codec::byteLength(unit), length) << int(unit);
    }
}

TEST(Cp932Codec, FileTextWithByteOrderMarkIsUtf8) {
    EXPECT_EQ(Cp932Codec::decodeFileText("\xEF\xBB\xBF" + QString("名前=値").toUtf8()), "名前=値");
    EXPECT_EQ(Cp932Codec::decodeFileText(Cp932Codec::encode(u"名前=値")), "名前=値");
}
