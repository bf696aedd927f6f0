#include <gtest/gtest.h>

#include "screen/ItemSpec.h"

namespace {

ItemSpec Spec(const char* file, std::int32_t x, std::int32_t y, std::int32_t width,
              std::int32_t height, std::int32_t extra) {
    return ItemSpec{QString::fromUtf8(file), x, y, width, height, extra};
}

}  // namespace

// Found by GoogleTest through the type's namespace.
static void PrintTo(const ItemSpec& spec, std::ostream* out) {
    *out << '"' << spec.file.toStdString() << "\"," << spec.x << ',' << spec.y << ',' << spec.width
         << ',' << spec.height << ',' << spec.extra;
}

TEST(ItemSpecTest, ACompleteDefinitionGivesAllSixFields) {
    EXPECT_EQ(ParseItemSpec(u"btn.png,100,200,64,32,3"), Spec("btn.png", 100, 200, 64, 32, 3));
    EXPECT_EQ(ParseItemSpec(u"ボタン.png,-5,0,1,2,-7"), Spec("ボタン.png", -5, 0, 1, 2, -7));
}

TEST(ItemSpecTest, MissingItemsGiveZero) {
    EXPECT_EQ(ParseItemSpec(u"btn.png,100,200"), Spec("btn.png", 100, 200, 0, 0, 0));
    EXPECT_EQ(ParseItemSpec(u"btn.png"), Spec("btn.png", 0, 0, 0, 0, 0));
    EXPECT_EQ(ParseItemSpec(u"btn.png,,,64"), Spec("btn.png", 0, 0, 64, 0, 0));
}

TEST(ItemSpecTest, AnEmptyFileNameMakesAnInvisibleRegion) {
    EXPECT_EQ(ParseItemSpec(u",10,20,64,32"), Spec("", 10, 20, 64, 32, 0));
}

TEST(ItemSpecTest, ItemsAfterTheSixthAreIgnored) {
    EXPECT_EQ(ParseItemSpec(u"a.png,1,2,3,4,5,6,seven"), Spec("a.png", 1, 2, 3, 4, 5));
}

TEST(ItemSpecTest, ANonNumericItemGivesZeroAndKeepsTheOthers) {
    EXPECT_EQ(ParseItemSpec(u"btn.png,a,20"), Spec("btn.png", 0, 20, 0, 0, 0));
    EXPECT_EQ(ParseItemSpec(u"btn.png,10,20px,0x10,1 2,--3"), Spec("btn.png", 10, 0, 0, 0, 0));
}

TEST(ItemSpecTest, NumbersAreTruncatedTowardZero) {
    EXPECT_EQ(ParseItemSpec(u"b,1.9,-1.9,+7,2e2,.5"), Spec("b", 1, -1, 7, 200, 0));
}

TEST(ItemSpecTest, NumbersBeyond32BitsAreUnreadable) {
    EXPECT_EQ(ParseItemSpec(u"b,2147483647,-2147483648,2147483648,1e300,inf"),
              Spec("b", 2147483647, -2147483648, 0, 0, 0));
}

TEST(ItemSpecTest, BlanksAroundItemsAreIgnored) {
    EXPECT_EQ(ParseItemSpec(u"  btn.png\t, 100 ,\t200,  64,32 , 1 "),
              Spec("btn.png", 100, 200, 64, 32, 1));
    EXPECT_EQ(ParseItemSpec(u"my btn.png,1"), Spec("my btn.png", 1, 0, 0, 0, 0));
}

TEST(ItemSpecTest, EmptyOrBlankTextGivesAnEmptyDefinition) {
    EXPECT_EQ(ParseItemSpec(u""), Spec("", 0, 0, 0, 0, 0));
    EXPECT_EQ(ParseItemSpec(u"   "), Spec("", 0, 0, 0, 0, 0));
    EXPECT_EQ(ParseItemSpec(u",,,,,"), Spec("", 0, 0, 0, 0, 0));
}
