#include <gtest/gtest.h>

#include "platform/os/FontCatalog.h"

namespace {

FontCatalog::Face face(const char* family, int spacing, bool japanese) {
    return FontCatalog::Face{QString::fromUtf8(family), spacing, japanese};
}

}  // namespace

TEST(FontCatalog, MonoAndDualCountAsFixedPitch) {
    EXPECT_TRUE(FontCatalog::isFixedPitch(FontCatalog::SpacingMono));
    EXPECT_TRUE(FontCatalog::isFixedPitch(FontCatalog::SpacingDual));
    EXPECT_FALSE(FontCatalog::isFixedPitch(FontCatalog::SpacingProportional));
    EXPECT_FALSE(FontCatalog::isFixedPitch(FontCatalog::SpacingCharCell));
}

TEST(FontCatalog, SelectsJapaneseFixedPitchFamiliesOnceAndSorted) {
    const std::vector<FontCatalog::Face> faces = {
        face("Mono JP", FontCatalog::SpacingMono, true),
        face("Dual JP", FontCatalog::SpacingDual, true),
        face("Proportional JP", FontCatalog::SpacingProportional, true),
        face("Mono Latin", FontCatalog::SpacingMono, false),
        face("Cell JP", FontCatalog::SpacingCharCell, true),
        face("Dual JP", FontCatalog::SpacingDual, true),  // a second style
        face("", FontCatalog::SpacingMono, true),
    };
    EXPECT_EQ(FontCatalog::selectJapaneseFixedPitch(faces),
              QStringList({QStringLiteral("Dual JP"), QStringLiteral("Mono JP")}));
    EXPECT_TRUE(FontCatalog::selectJapaneseFixedPitch({}).isEmpty());
}

TEST(FontCatalog, InstalledIpaFontsByPitch) {
    QStringList families = FontCatalog::japaneseFixedPitchFamilies();
    EXPECT_TRUE(families.contains(QStringLiteral("IPAGothic")));
    EXPECT_TRUE(families.contains(QStringLiteral("IPAMincho")));
    EXPECT_FALSE(families.contains(QStringLiteral("IPAPGothic")));
    EXPECT_FALSE(families.contains(QStringLiteral("IPAPMincho")));
    EXPECT_EQ(families.removeDuplicates(), 0);
}

TEST(FontCatalog, WindowsFontsMapToTheirIpaCounterparts) {
    EXPECT_EQ(FontCatalog::substituteFor(QStringLiteral("ＭＳ ゴシック")),
              QStringLiteral("IPAGothic"));
    EXPECT_EQ(FontCatalog::substituteFor(QStringLiteral("ＭＳ Ｐゴシック")),
              QStringLiteral("IPAPGothic"));
    EXPECT_EQ(FontCatalog::substituteFor(QStringLiteral("ＭＳ 明朝")), QStringLiteral("IPAMincho"));
    EXPECT_EQ(FontCatalog::substituteFor(QStringLiteral("ＭＳ Ｐ明朝")),
              QStringLiteral("IPAPMincho"));
}

TEST(FontCatalog, InstalledNamesStayAndUnknownOnesBecomeIpaGothic) {
    EXPECT_EQ(FontCatalog::substituteFor(QStringLiteral("IPAPMincho")),
              QStringLiteral("IPAPMincho"));
    EXPECT_EQ(FontCatalog::substituteFor(QStringLiteral("No Such Font Family 123")),
              QStringLiteral("IPAGothic"));
    EXPECT_EQ(FontCatalog::substituteFor(QString()), QStringLiteral("IPAGothic"));
    EXPECT_TRUE(FontCatalog::isInstalledFamily(QStringLiteral("IPAMincho")));
    EXPECT_FALSE(FontCatalog::isInstalledFamily(QStringLiteral("No Such Font Family 123")));
}
