#include "scenario/ValueResolver.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "data/INISection.h"
#include "scenario/VariableScope.h"

namespace {

// Searched in this order; the first one found anywhere splits the expression.
constexpr std::array<std::u16string_view, 9> kOperators = {u"==", u"<>", u"><", u">=", u"=>",
                                                           u"<=", u"=<", u">",  u"<"};

// Names longer than this are looked up only if some key is that long.
constexpr qsizetype kShortName = 256;
// Expressions longer than this search operators through precomputed positions.
constexpr qsizetype kShortExpression = 256;

const QString kBadQuote = QStringLiteral("引用符が不正です");
const QString kBadExpression = QStringLiteral("値表現が不正です");
const QString kBadTarget = QStringLiteral("値表現が設定対象として不正です。");

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Length of the decimal number at the start of text (sign, digits, one point,
// exponent), 0 when there is none.
qsizetype numberLength(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        ++i;
    }
    qsizetype digits = 0;
    while (i < n && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        qsizetype j = i + 1;
        qsizetype fraction = 0;
        while (j < n && isDigit(text[j])) {
            ++j;
            ++fraction;
        }
        if (digits + fraction > 0) {
            i = j;
            digits += fraction;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-'))) {
            ++j;
        }
        const qsizetype expStart = j;
        while (j < n && isDigit(text[j])) {
            ++j;
        }
        if (j > expStart) {
            i = j;
        }
    }
    return i;
}

// Whole numbers of up to 15 digits, the usual case, are exact in a double.
std::optional<double> smallWholeNumber(QStringView number) {
    qsizetype i = 0;
    const bool negative = !number.isEmpty() && number[0] == QLatin1Char('-');
    if (!number.isEmpty() && (number[0] == QLatin1Char('-') || number[0] == QLatin1Char('+'))) {
        i = 1;
    }
    const qsizetype digits = number.size() - i;
    if (digits < 1 || digits > 15) {
        return std::nullopt;
    }
    qint64 value = 0;
    for (; i < number.size(); ++i) {
        const char16_t c = number[i].unicode();
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (c - u'0');
    }
    return static_cast<double>(negative ? -value : value);
}

double toDouble(QStringView number) {
    if (const auto whole = smallWholeNumber(number)) {
        return *whole;
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (ok) {
        return value;
    }
    // Out of range: the sign decides which end.
    return number.startsWith(QLatin1Char('-')) ? -std::numeric_limits<double>::infinity()
                                               : std::numeric_limits<double>::infinity();
}

bool compare(std::size_t op, double left, double right) {
    switch (op) {
        case 0:
            return left == right;
        case 1:
        case 2:
            return left != right;
        case 3:
        case 4:
            return left >= right;
        case 5:
        case 6:
            return left <= right;
        case 7:
            return left > right;
        default:
            return left < right;
    }
}

void trimRange(QStringView text, qsizetype& begin, qsizetype& end) {
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
}

qsizetype longestKey(const INISection* section) {
    qsizetype longest = 0;
    for (int line = 0; section != nullptr && line < section->Count(); ++line) {
        longest = std::max(longest, section->LineKey(line).size());
    }
    return longest;
}

}  // namespace

// One evaluation of a whole expression: the text and, for long texts, where each
// operator occurs, so that operand after operand is split without rescanning.
struct ValueResolver::Evaluation {
    QStringView text;
    std::optional<std::array<std::vector<qsizetype>, kOperators.size()>> positions;
    std::optional<qsizetype> longestName;
    QString error;

    // The first operator of the list occurring inside [begin, end), with its position.
    std::optional<std::pair<std::size_t, qsizetype>> findOperator(qsizetype begin, qsizetype end) {
        if (end - begin > kShortExpression && !positions) {
            indexOperators();
        }
        for (std::size_t op = 0; op < kOperators.size(); ++op) {
            const auto length = static_cast<qsizetype>(kOperators[op].size());
            qsizetype at = -1;
            if (positions) {
                const auto& list = (*positions)[op];
                const auto it = std::lower_bound(list.begin(), list.end(), begin);
                if (it != list.end() && *it + length <= end) {
                    at = *it;
                }
            } else {
                const qsizetype found =
                    text.sliced(begin, end - begin).indexOf(QStringView(kOperators[op]));
                at = found < 0 ? -1 : begin + found;
            }
            if (at >= 0) {
                return std::make_pair(op, at);
            }
        }
        return std::nullopt;
    }

    void indexOperators() {
        positions.emplace();
        for (std::size_t op = 0; op < kOperators.size(); ++op) {
            const QStringView needle(kOperators[op]);
            for (qsizetype at = text.indexOf(needle); at >= 0; at = text.indexOf(needle, at + 1)) {
                (*positions)[op].push_back(at);
            }
        }
    }
};

ValueResolver& ValueResolver::SetSymbol(const QString& expression) {
    expression_ = expression;
    errMsg_.clear();
    return *this;
}

QString ValueResolver::Value() {
    Evaluation eval;
    eval.text = expression_;
    QString value = Evaluate(0, expression_.size(), eval);
    errMsg_ = eval.error;
    return errMsg_.isEmpty() ? value : QString();
}

// Splits comparison after comparison iteratively: a chain a<b<c<... has its right
// operand as the next comparison, so its length never deepens the call stack.
// Left operands recurse, but each holds none of the operators found so far, so
// that recursion is at most one level per operator.
QString ValueResolver::Evaluate(qsizetype begin, qsizetype end, Evaluation& eval) const {
    std::vector<std::pair<double, std::size_t>> pending;  // left value, operator
    QString result;
    for (;;) {
        const QStringView e = eval.text.sliced(begin, end - begin);
        if (auto atom = Atom(e, eval)) {
            result = std::move(*atom);
            break;
        }
        if (!eval.error.isEmpty()) {
            return QString();
        }
        const auto found = eval.findOperator(begin, end);
        if (!found) {
            eval.error = kBadExpression;
            return QString();
        }
        const auto [op, at] = *found;
        qsizetype leftBegin = begin;
        qsizetype leftEnd = at;
        trimRange(eval.text, leftBegin, leftEnd);
        const QString left = Evaluate(leftBegin, leftEnd, eval);
        if (!eval.error.isEmpty()) {
            return QString();
        }
        pending.emplace_back(NumericPrefix(left), op);
        begin = at + static_cast<qsizetype>(kOperators[op].size());
        trimRange(eval.text, begin, end);
    }
    while (!pending.empty()) {
        const auto [left, op] = pending.back();
        pending.pop_back();
        result =
            compare(op, left, NumericPrefix(result)) ? QStringLiteral("1") : QStringLiteral("0");
    }
    return result;
}

std::optional<QString> ValueResolver::Atom(QStringView e, Evaluation& eval) const {
    if (const auto number = WholeNumber(e)) {
        return CanonicalNumber(*number);
    }
    if (e.startsWith(QLatin1Char('"'))) {
        if (e.size() >= 2 && e.endsWith(QLatin1Char('"'))) {
            return e.sliced(1, e.size() - 2).toString();
        }
        eval.error = kBadQuote;
        return std::nullopt;
    }
    return Lookup(e, eval);
}

std::optional<QString> ValueResolver::Lookup(QStringView name, Evaluation& eval) const {
    if (scope_ == nullptr || name.isEmpty()) {
        return std::nullopt;
    }
    const INISection* sections[] = {scope_->Constants(), scope_->GameVariables(),
                                    scope_->SharedVariables()};
    if (name.size() > kShortName) {
        if (!eval.longestName) {
            eval.longestName = std::max(
                {longestKey(sections[0]), longestKey(sections[1]), longestKey(sections[2])});
        }
        if (name.size() > *eval.longestName) {
            return std::nullopt;
        }
    }
    for (const INISection* section : sections) {
        const int line = section != nullptr ? section->KeyIndex(name) : -1;
        if (line >= 0) {
            return section->LineValue(line);
        }
    }
    return std::nullopt;
}

void ValueResolver::SetValue(const QString& value) {
    errMsg_.clear();
    INISection* targets[] = {scope_ ? scope_->GameVariables() : nullptr,
                             scope_ ? scope_->SharedVariables() : nullptr};
    for (INISection* section : targets) {
        if (section != nullptr && !expression_.isEmpty() && section->KeyExists(expression_)) {
            section->SetKeyValue(expression_, value);
            return;
        }
    }
    errMsg_ = kBadTarget;
}

qint32 ValueResolver::NumVal() {
    return RoundHalfEven(NumericPrefix(Value()));
}

void ValueResolver::SetNumVal(qint32 value) {
    SetValue(QString::number(value));
}

bool ValueResolver::BoolVal() {
    return NumericPrefix(Value()) != 0;
}

void ValueResolver::SetBoolVal(bool value) {
    SetValue(value ? QStringLiteral("1") : QStringLiteral("0"));
}

double ValueResolver::NumericPrefix(QStringView text) {
    qsizetype start = 0;
    while (start < text.size() && text[start] == QLatin1Char(' ')) {
        ++start;
    }
    const QStringView rest = text.sliced(start);
    const qsizetype length = numberLength(rest);
    return length == 0 ? 0.0 : toDouble(rest.first(length));
}

std::optional<double> ValueResolver::WholeNumber(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' ')) {
        ++begin;
    }
    while (end > begin && text[end - 1] == QLatin1Char(' ')) {
        --end;
    }
    const QStringView body = text.sliced(begin, end - begin);
    if (body.isEmpty() || numberLength(body) != body.size()) {
        return std::nullopt;
    }
    const double value = toDouble(body);
    if (!std::isfinite(value)) {
        return std::nullopt;  // too large to be a number here
    }
    return value;
}

QString ValueResolver::CanonicalNumber(double number) {
    if (number == 0) {
        return QStringLiteral("0");  // also for -0
    }
    // Whole numbers below 10^15 print with all their digits in 'g' form too.
    if (std::fabs(number) < 1e15 && number == std::trunc(number)) {
        return QString::number(static_cast<qint64>(number));
    }
    QString text = QString::number(number, 'g', 15);
    const qsizetype exp = text.indexOf(QLatin1Char('e'));
    if (exp >= 0) {
        text[exp] = QLatin1Char('E');
    }
    return text;
}

qint32 ValueResolver::RoundHalfEven(double number) {
    if (std::isnan(number)) {
        return 0;
    }
    const double rounded = std::nearbyint(number);  // default rounding: halves to even
    if (rounded >= static_cast<double>(std::numeric_limits<qint32>::max())) {
        return std::numeric_limits<qint32>::max();
    }
    if (rounded <= static_cast<double>(std::numeric_limits<qint32>::min())) {
        return std::numeric_limits<qint32>::min();
    }
    return static_cast<qint32>(rounded);
}
