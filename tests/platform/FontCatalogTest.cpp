#include "platform/os/FontCatalog.h"

#include <gtest/gtest.h>

TEST(FontCatalog, SelectsJapaneseMonoAndDualFamiliesOnceAndSorted) {
    using F = FontCatalog;
    const std::vector<F::Face> faces = {{"Mono JP", F::SpacingMono, true},
                                        {"Dual JP", F::SpacingDual, true},
                                        {"Proportional JP", F::SpacingProportional, true},
                                        {"Mono Latin", F::SpacingMono, false},
                                        {"Cell JP", F::SpacingCharCell, true},
                                        {"Dual JP", F::SpacingDual, true},  // a second style
                                        {"", F::SpacingMono, true}};
    EXPECT_EQ(F::selectJapaneseFixedPitch(faces), QStringList({"Dual JP", "Mono JP"}));
    EXPECT_TRUE(F::selectJapaneseFixedPitch({}).isEmpty());
    QStringList installed = F::japaneseFixedPitchFamilies();
    EXPECT_TRUE(installed.contains("IPAGothic") && installed.contains("IPAMincho"));
    EXPECT_FALSE(installed.contains("IPAPGothic") || installed.contains("IPAPMincho"));
    EXPECT_EQ(installed.removeDuplicates(), 0);
}

TEST(FontCatalog, WindowsFontsMapToIpaFontsInstalledNamesStayOthersBecomeIpaGothic) {
    const std::pair<const char*, const char*> rows[] = {{"ＭＳ ゴシック", "IPAGothic"},
                                                        {"ＭＳ Ｐゴシック", "IPAPGothic"},
                                                        {"ＭＳ 明朝", "IPAMincho"},
                                                        {"ＭＳ Ｐ明朝", "IPAPMincho"},
                                                        {"IPAPMincho", "IPAPMincho"},
                                                        {"No Such Font Family 123", "IPAGothic"},
                                                        {"", "IPAGothic"}};
    for (const auto& [name, family] : rows) {
        EXPECT_EQ(FontCatalog::substituteFor(name), family) << name;
    }
    EXPECT_TRUE(FontCatalog::isInstalledFamily("IPAMincho"));
    EXPECT_FALSE(FontCatalog::isInstalledFamily("No Such Font Family 123"));
}
