// Value expressions from outside: the first line is an expression, the rest an
// INI text whose sections [const], [var] and [shared] are the names it may use.
// Every expression is evaluated twice (the second time from its parsed plan)
// with the same results, and assigned to when it names a variable.
#include <cmath>
#include <cstdint>

#include "data/INIFile.h"
#include "platform/os/Cp932Codec.h"
#include "scenario/ValueResolver.h"
#include "scenario/VariableScope.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

class Scope : public VariableScope {
public:
    explicit Scope(const QString& text) {
        names_.SetText(text);
        constants_ = &names_.KeySection(QStringLiteral("const"));
        variables_ = &names_.KeySection(QStringLiteral("var"));
        shared_ = &names_.KeySection(QStringLiteral("shared"));
    }
    const INISection* Constants() const override { return constants_; }
    INISection* GameVariables() override { return variables_; }
    INISection* SharedVariables() override { return shared_; }

private:
    INIFile names_;
    const INISection* constants_ = nullptr;
    INISection* variables_ = nullptr;
    INISection* shared_ = nullptr;
};

void Evaluate(ValueResolver& resolver, const QString& expression) {
    resolver.SetSymbol(expression);
    const QString value = resolver.Value();
    const QString error = resolver.ErrMsg();
    Require(error.isEmpty() || value.isEmpty());
    const qint32 number = resolver.NumVal();
    Require(number == ValueResolver::RoundHalfEven(ValueResolver::NumericPrefix(value)));
    Require(resolver.BoolVal() == (ValueResolver::NumericPrefix(value) != 0));
    Require(resolver.Value() == value && resolver.ErrMsg() == error);
    if (error.isEmpty()) {
        resolver.SetValue(value);
    }
}

void Numbers(QStringView text) {
    const auto whole = ValueResolver::WholeNumber(text);
    if (!whole) {
        return;
    }
    Require(std::isfinite(*whole));
    const QString canonical = ValueResolver::CanonicalNumber(*whole);
    const auto again = ValueResolver::WholeNumber(canonical);
    Require(again.has_value());
    Require(ValueResolver::CanonicalNumber(*again) == canonical);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = Cp932Codec::decodeFileText(bytes);
    const qsizetype end = text.indexOf(u'\n');
    QString expression = end < 0 ? text : text.left(end);
    if (expression.endsWith(u'\r')) {
        expression.chop(1);
    }
    Scope scope(end < 0 ? QString() : text.mid(end + 1));
    ValueResolver resolver(&scope);
    Evaluate(resolver, expression);
    Numbers(expression);
    // The names and values are expressions too, more at once than the plans kept.
    int count = 0;
    for (const QStringView line : QStringView(text).split(u'\n')) {
        if (++count > 40) {
            break;
        }
        const QString part = line.toString();
        Evaluate(resolver, part.section(u'=', 0, 0));
        Evaluate(resolver, part.section(u'=', 1));
    }
    Evaluate(resolver, expression);
    return 0;
}
