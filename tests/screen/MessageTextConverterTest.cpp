#include <gtest/gtest.h>

#include "screen/MessageTextConverter.h"

#include <vector>

namespace {

struct Result {
    QString text, continuation;
    bool wait = false;
    QString voice;
};

// Knows one character ("aki", colour 0x12AB34) and one nameplate ("Item:2").
class MessageTextConverterTest : public testing::Test {
protected:
    QSize screen{640, 480};
    bool originalTextColor = true;
    std::vector<std::int32_t> speeds, nameFlips;

    Result Convert(const QString& message, int mode = 2) {
        MessageTextConverter::Environment env;
        env.TextSpeedSetting = [this](std::int32_t v) { speeds.push_back(v); };
        env.WindowNameFlip = [this](std::int32_t n) { nameFlips.push_back(n); };
        env.ScreenSize = [this] { return screen; };
        env.ScriptScale = [] { return QSize(640, 480); };
        env.ConfigBool = [this](const QString& key) {
            return key == u"OriginalTextColor" && originalTextColor;
        };
        env.GetIndexByCID = [](const QString& cid) { return cid == u"aki" ? 3 : -1; };
        env.CharColor = [](int entry) { return entry == 3 ? 0x12AB34u : 0u; };
        env.SystemInfoValue = [](const QString& section, const QString& key) {
            return section == u"Nameplate" && key == u"Item:2" ? u"アキ"_qs : QString();
        };
        Result r{QString(), u"old"_qs, false, u"old"_qs};
        r.text = MessageTextConverter(env).Convert(message, r.continuation, r.wait, r.voice, mode);
        return r;
    }

    // Rows of message, expected code string.
    void Expect(const std::vector<std::pair<const char16_t*, const char16_t*>>& rows,
                int mode = 2) {
        for (const auto& [message, expected] : rows) {
            EXPECT_EQ(Convert(QString::fromUtf16(message), mode).text, QString::fromUtf16(expected))
                << QString::fromUtf16(message).toStdString() << " in mode " << mode;
        }
    }
};

TEST_F(MessageTextConverterTest, FindsCodesAndDropsUnknownOnes) {
    Expect({
        {u"あ\\xyzい", u"あい"},
        {u"\\nabcあ", u"あ"},  // the letters join the code name
        {u"\\nあいう", u"\nあいう"},
        {u"あ\\N\\nい", u"あ\n\nい"},
        {u"あい\\", u"あい"},
        {u"\\pause(12あい", u"B0000000C"},  // an unclosed argument runs to the end
        {u"\\pause(5\\nあ", u"B00000005\nあ"},
        {u"\\pause(7)ab", u"B00000007ab"},
    });
    const Result plain = Convert(u"こんにちは、世界。"_qs);
    EXPECT_EQ(plain.text, u"こんにちは、世界。");
    EXPECT_TRUE(plain.wait);
    EXPECT_EQ(plain.continuation + plain.voice, u"");
}

TEST_F(MessageTextConverterTest, WritesPauseAndColourDigits) {
    Expect({
        {u"\\PAUSE(&h1f)", u"B0000001F"},
        {u"\\pause(-1)", u"B00000000"},  // a negative pause is no pause
        {u"\\pause(-99999)", u"B00000000"},
        {u"\\color(&HFF00aa)あ", u"DFF00AAあ"},
        {u"\\color(&H1234567)", u"D1234567"},
        {u"\\color(4294967297)", u"D000001"},  // kept to 32 bits
    });
}

TEST_F(MessageTextConverterTest, PlacesTextInScreenUnits) {
    Expect({{u"\\xpos(-20)", u"I-014"}});
    screen = QSize(1280, 720);
    Expect({
        {u"\\size(20)", u"F028"},
        {u"\\width(10)あ", u"G014あ"},
        {u"\\height(100)", u"H096"},
        {u"\\xpos(-20)", u"I-028"},
        {u"\\ypos(-7)", u"J-00A"},  // 10.5 truncated
        {u"\\xoffset(1000)", u"K+7D0"},
        {u"\\yoffset(3000)", u"L+1194"},
        {u"\\size(2000000)", u"FFFD6A29A"},  // the product wraps below zero
    });
    Expect({{u"\\size(20)\\xpos(5)\\w\\c(aki)あ", u"あ"}}, 0);
}

TEST_F(MessageTextConverterTest, CollectsVoicesPerMode) {
    for (const auto& [mode, voices] : {std::pair{0, u"a,b"}, {2, u"b"}, {3, u"b"}}) {
        const Result r = Convert(u"\\v(a)あ\\v(b)い"_qs, mode);
        EXPECT_EQ(r.voice, voices) << mode;
        EXPECT_EQ(r.text, u"あい");
    }
}

TEST_F(MessageTextConverterTest, PageBreakStopsAndReturnsTheRest) {
    const Result page = Convert(u"一\\nowait\\w二\\n\\speed(5)三"_qs);
    EXPECT_EQ(page.text, u"一");
    EXPECT_EQ(page.continuation, u"二\\n\\speed(5)三");
    EXPECT_FALSE(page.wait);
    EXPECT_TRUE(speeds.empty());
    const Result log = Convert(u"一\\w二"_qs, 0);
    EXPECT_EQ(log.text + log.continuation, u"一二");
}

TEST_F(MessageTextConverterTest, SpeedIsSetAtOnceWithoutOutput) {
    Expect({{u"あ\\speed(&H10)い\\speed(40)", u"あい"}}, 3);
    EXPECT_EQ(speeds, (std::vector<std::int32_t>{16, 40}));
}

TEST_F(MessageTextConverterTest, CharacterColourOnlyInWindowModeWhenEnabled) {
    Expect({{u"\\c(CID_Aki)あ", u"D12AB34あ"}, {u"\\c(cid_zzz)あ", u"あ"}});
    Expect({{u"\\c(cid_aki)あ", u"あ"}}, 3);
    originalTextColor = false;
    Expect({{u"\\c(cid_aki)あ", u"あ"}});
}

TEST_F(MessageTextConverterTest, NameplateFlipsInWindowModeElseIsWritten) {
    Expect({{u"\\np(2)あ", u"あ"}});
    EXPECT_EQ(nameFlips, (std::vector<std::int32_t>{2}));
    Expect({{u"\\np(2)あ", u"アキ\nあ"}, {u"\\np(9)あ", u"\nあ"}}, 3);
    Expect({{u"\\np(2)あ", u"アキ\nあ"}}, 0);
    EXPECT_EQ(nameFlips.size(), 1u);
}

}  // namespace
