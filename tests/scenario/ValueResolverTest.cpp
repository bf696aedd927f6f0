#include <gtest/gtest.h>

#include "data/INIFile.h"
#include "scenario/ValueResolver.h"
#include "scenario/VariableScope.h"

namespace {

class FakeScope : public VariableScope {
public:
    FakeScope() {
        info.SetText(QStringLiteral("[const]\r\nMAX=99\r\nshared_and_const=c"));
        save.SetText(
            QStringLiteral("[Var]\r\nflag=1\r\nname=abc\r\nother=xyz\r\nboth=game\r\n"
                           "shared_and_const=g"));
        shared.SetText(QStringLiteral("[Var]\r\nclear=0\r\nboth=shared"));
    }
    const INISection* Constants() const override {
        return &const_cast<INIFile&>(info).KeySection(QStringLiteral("const"));
    }
    INISection* GameVariables() override { return &save.KeySection(QStringLiteral("Var")); }
    INISection* SharedVariables() override { return &shared.KeySection(QStringLiteral("Var")); }

    INIFile info;
    INIFile save;
    INIFile shared;
};

class ValueResolverTest : public ::testing::Test {
protected:
    QString value(const QString& e) { return resolver.SetSymbol(e).Value(); }
    QString error(const QString& e) {
        resolver.SetSymbol(e).Value();
        return resolver.ErrMsg();
    }

    FakeScope scope;
    ValueResolver resolver{&scope};
};

}  // namespace

TEST_F(ValueResolverTest, NumbersReadInCanonicalForm) {
    EXPECT_EQ(value(QStringLiteral("10")), QStringLiteral("10"));
    EXPECT_EQ(value(QStringLiteral("  10 ")), QStringLiteral("10"));
    EXPECT_EQ(value(QStringLiteral("007")), QStringLiteral("7"));
    EXPECT_EQ(value(QStringLiteral("1.50")), QStringLiteral("1.5"));
    EXPECT_EQ(value(QStringLiteral("1e2")), QStringLiteral("100"));
    EXPECT_EQ(value(QStringLiteral("-.5")), QStringLiteral("-0.5"));
    EXPECT_EQ(value(QStringLiteral("-0")), QStringLiteral("0"));
    EXPECT_FALSE(resolver.IsError());
}

TEST_F(ValueResolverTest, QuotedStrings) {
    EXPECT_EQ(value(QStringLiteral("\"hello world\"")), QStringLiteral("hello world"));
    EXPECT_EQ(value(QStringLiteral("\"\"")), QString());
    EXPECT_FALSE(resolver.IsError());
    EXPECT_EQ(error(QStringLiteral("\"open")), QStringLiteral("引用符が不正です"));
    EXPECT_EQ(error(QStringLiteral("\"")), QStringLiteral("引用符が不正です"));
    EXPECT_EQ(resolver.Value(), QString());
}

TEST_F(ValueResolverTest, NamesLookedUpConstantsThenGameThenShared) {
    EXPECT_EQ(value(QStringLiteral("MAX")), QStringLiteral("99"));
    EXPECT_EQ(value(QStringLiteral("max")), QStringLiteral("99"));
    EXPECT_EQ(value(QStringLiteral("shared_and_const")), QStringLiteral("c"));
    EXPECT_EQ(value(QStringLiteral("both")), QStringLiteral("game"));
    EXPECT_EQ(value(QStringLiteral("clear")), QStringLiteral("0"));
    EXPECT_EQ(error(QStringLiteral("undeclared")), QStringLiteral("値表現が不正です"));
}

TEST_F(ValueResolverTest, ComparisonsSplitAtTheFirstOperatorOfTheList) {
    EXPECT_EQ(value(QStringLiteral("flag==1")), QStringLiteral("1"));
    EXPECT_EQ(value(QStringLiteral("flag == 2")), QStringLiteral("0"));
    EXPECT_EQ(error(QStringLiteral("flag=1")), QStringLiteral("値表現が不正です"));
    EXPECT_EQ(value(QStringLiteral("1<=1")), QStringLiteral("1"));  // not split at "<"
    EXPECT_EQ(value(QStringLiteral("2=<1")), QStringLiteral("0"));
    EXPECT_EQ(value(QStringLiteral("2><1")), QStringLiteral("1"));
    EXPECT_EQ(value(QStringLiteral("2<>2")), QStringLiteral("0"));
    EXPECT_EQ(value(QStringLiteral("3=>3")), QStringLiteral("1"));
    // a>=b>c splits at ">=": 1 >= (5>2) = 1 >= 1.
    EXPECT_EQ(value(QStringLiteral("1>=5>2")), QStringLiteral("1"));
    // Left to right it would be (1>=5)>2 = 0.
    EXPECT_EQ(value(QStringLiteral("0>=5>2")), QStringLiteral("0"));
    // "==" is searched first, so its left side holds the "<" comparison: (1<2)==1.
    EXPECT_EQ(value(QStringLiteral("1<2==1")), QStringLiteral("1"));
}

TEST_F(ValueResolverTest, TextsCompareByTheirNumericPrefixes) {
    EXPECT_EQ(value(QStringLiteral("name==other")), QStringLiteral("1"));
    EXPECT_EQ(value(QStringLiteral("12==\"12abc\"")), QStringLiteral("1"));
    EXPECT_EQ(value(QStringLiteral("1>\"x\"")), QStringLiteral("1"));
    // A leading quote makes the whole expression a string, before any comparison.
    EXPECT_EQ(error(QStringLiteral("\"12abc\"==12")), QStringLiteral("引用符が不正です"));
}

TEST_F(ValueResolverTest, OperandErrorsBecomeTheExpressionsError) {
    EXPECT_EQ(error(QStringLiteral("flag==\"x")), QStringLiteral("引用符が不正です"));
    EXPECT_EQ(error(QStringLiteral("nope<1")), QStringLiteral("値表現が不正です"));
    EXPECT_EQ(resolver.Value(), QString());
}

TEST_F(ValueResolverTest, NumValRoundsHalvesToEven) {
    EXPECT_EQ(resolver.SetSymbol(QStringLiteral("2.5")).NumVal(), 2);
    EXPECT_EQ(resolver.SetSymbol(QStringLiteral("3.5")).NumVal(), 4);
    EXPECT_EQ(resolver.SetSymbol(QStringLiteral("-2.5")).NumVal(), -2);
    EXPECT_EQ(resolver.SetSymbol(QStringLiteral("2.51")).NumVal(), 3);
    EXPECT_EQ(resolver.SetSymbol(QStringLiteral("name")).NumVal(), 0);
    EXPECT_EQ(resolver.SetSymbol(QStringLiteral("1e300")).NumVal(), 2147483647);
    EXPECT_TRUE(resolver.SetSymbol(QStringLiteral("flag")).BoolVal());
    EXPECT_FALSE(resolver.SetSymbol(QStringLiteral("clear")).BoolVal());
}

TEST(ValueResolverConversion, NumericPrefix) {
    EXPECT_EQ(ValueResolver::NumericPrefix(u"12abc"), 12);
    EXPECT_EQ(ValueResolver::NumericPrefix(u"abc"), 0);
    EXPECT_EQ(ValueResolver::NumericPrefix(u"   -3.25e1x"), -32.5);
    EXPECT_EQ(ValueResolver::NumericPrefix(u"1e"), 1);
    EXPECT_EQ(ValueResolver::NumericPrefix(u"."), 0);
    EXPECT_EQ(ValueResolver::NumericPrefix(u"+.5."), 0.5);
    EXPECT_FALSE(ValueResolver::WholeNumber(u"1 2"));
    EXPECT_FALSE(ValueResolver::WholeNumber(u"\t1"));
    EXPECT_FALSE(ValueResolver::WholeNumber(u"1e999"));
    EXPECT_EQ(ValueResolver::CanonicalNumber(1e20), QStringLiteral("1E+20"));
    EXPECT_EQ(ValueResolver::CanonicalNumber(1.0 / 3), QStringLiteral("0.333333333333333"));
}

TEST_F(ValueResolverTest, AssignmentGoesToGameThenSharedVariables) {
    resolver.SetSymbol(QStringLiteral("both")).SetValue(QStringLiteral("new"));
    EXPECT_FALSE(resolver.IsError());
    EXPECT_EQ(scope.GameVariables()->KeyValue(QStringLiteral("both")), QStringLiteral("new"));
    EXPECT_EQ(scope.SharedVariables()->KeyValue(QStringLiteral("both")), QStringLiteral("shared"));

    resolver.SetSymbol(QStringLiteral("clear")).SetNumVal(5);
    EXPECT_EQ(scope.SharedVariables()->KeyValue(QStringLiteral("clear")), QStringLiteral("5"));

    resolver.SetSymbol(QStringLiteral("flag")).SetBoolVal(false);
    EXPECT_EQ(value(QStringLiteral("flag")), QStringLiteral("0"));
}

TEST_F(ValueResolverTest, AssignmentToUndeclaredOrConstantFails) {
    const int gameLines = scope.GameVariables()->Count();
    resolver.SetSymbol(QStringLiteral("undeclared")).SetValue(QStringLiteral("1"));
    EXPECT_EQ(resolver.ErrMsg(), QStringLiteral("値表現が設定対象として不正です。"));
    resolver.SetSymbol(QStringLiteral("MAX")).SetValue(QStringLiteral("1"));
    EXPECT_TRUE(resolver.IsError());
    EXPECT_EQ(value(QStringLiteral("MAX")), QStringLiteral("99"));
    EXPECT_EQ(scope.GameVariables()->Count(), gameLines);
    EXPECT_FALSE(scope.SharedVariables()->KeyExists(QStringLiteral("undeclared")));
}

TEST_F(ValueResolverTest, HundredThousandComparisonsNeitherOverflowNorCrawl) {
    // 1<2<3<...: split at the first "<", each right side is the next comparison.
    QString chain = QStringLiteral("0");
    for (int i = 0; i < 100000; ++i) {
        chain += QStringLiteral("<1");
    }
    // Innermost 0<1... evaluated from the right: 1<1 = 0, then 1<0 = 0, ..., 0<0 = 0.
    EXPECT_EQ(value(chain), QStringLiteral("0"));
    EXPECT_FALSE(resolver.IsError());
    QString mixed;
    for (int i = 0; i < 50000; ++i) {
        mixed += QStringLiteral("1==1<>0>=");
    }
    mixed += QStringLiteral("1");
    resolver.SetSymbol(mixed).Value();
    EXPECT_FALSE(resolver.IsError());
}

TEST_F(ValueResolverTest, RepeatedExpressionsSeeVariablesChange) {
    const QString expression = QStringLiteral("flag<3");
    EXPECT_EQ(value(expression), QStringLiteral("1"));
    scope.GameVariables()->SetKeyValue(QStringLiteral("flag"), QStringLiteral("5"));
    EXPECT_EQ(value(expression), QStringLiteral("0"));
    // The same text from another string, and another text at the same place.
    EXPECT_EQ(value(QString(expression.constData(), expression.size())), QStringLiteral("0"));
    QString reused = expression;
    reused.detach();
    reused[0] = QLatin1Char('F');
    EXPECT_EQ(value(reused), QStringLiteral("0"));
    reused.replace(0, reused.size(), QStringLiteral("MAX<3"));
    EXPECT_EQ(value(reused), QStringLiteral("0"));
    EXPECT_EQ(value(QStringLiteral("MAX>3")), QStringLiteral("1"));
}

TEST_F(ValueResolverTest, AWholeNameIsLookedUpBeforeItIsSplit) {
    scope.shared.SetText(QStringLiteral("[Var]\r\na<b=7\r\na=1\r\nb=2"));
    EXPECT_EQ(value(QStringLiteral("a<b")), QStringLiteral("7"));
    EXPECT_EQ(value(QStringLiteral("a <b")), QStringLiteral("1"));
    INISection& shared = scope.shared.KeySection(QStringLiteral("Var"));
    shared.LineRemove(shared.KeyIndex(u"a<b"));
    EXPECT_EQ(value(QStringLiteral("a<b")), QStringLiteral("1"));
}

TEST_F(ValueResolverTest, AnErrorDoesNotOutliveTheNextEvaluation) {
    EXPECT_EQ(error(QStringLiteral("nope")), QStringLiteral("値表現が不正です"));
    scope.GameVariables()->SetKeyValue(QStringLiteral("nope"), QStringLiteral("4"));
    EXPECT_EQ(resolver.Value(), QStringLiteral("4"));
    EXPECT_FALSE(resolver.IsError());
}

TEST_F(ValueResolverTest, AssignmentKeepsTheLastSpellingOfTheName) {
    resolver.SetSymbol(QStringLiteral("FLAG")).SetValue(QStringLiteral("9"));
    EXPECT_EQ(scope.GameVariables()->LineKey(scope.GameVariables()->KeyIndex(u"flag")),
              QStringLiteral("FLAG"));
    resolver.SetSymbol(QStringLiteral("FLAG")).SetValue(QStringLiteral("8"));
    EXPECT_EQ(value(QStringLiteral("flag")), QStringLiteral("8"));
}
