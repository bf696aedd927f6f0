#include "scenario/ValueResolver.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

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

// Where each operator occurs in a long expression, so that splitting operand after
// operand does not rescan the text.
class OperatorIndex {
public:
    explicit OperatorIndex(QStringView text) : text_(text) {}

    // The first operator of the list occurring inside [begin, end), with its position.
    std::optional<std::pair<std::size_t, qsizetype>> Find(qsizetype begin, qsizetype end) {
        if (end - begin > kShortExpression && !positions_) {
            IndexOperators();
        }
        for (std::size_t op = 0; op < kOperators.size(); ++op) {
            const auto length = static_cast<qsizetype>(kOperators[op].size());
            qsizetype at = -1;
            if (positions_) {
                const auto& list = (*positions_)[op];
                const auto it = std::lower_bound(list.begin(), list.end(), begin);
                if (it != list.end() && *it + length <= end) {
                    at = *it;
                }
            } else {
                const qsizetype found =
                    text_.sliced(begin, end - begin).indexOf(QStringView(kOperators[op]));
                at = found < 0 ? -1 : begin + found;
            }
            if (at >= 0) {
                return std::make_pair(op, at);
            }
        }
        return std::nullopt;
    }

private:
    void IndexOperators() {
        positions_.emplace();
        for (std::size_t op = 0; op < kOperators.size(); ++op) {
            const QStringView needle(kOperators[op]);
            for (qsizetype at = text_.indexOf(needle); at >= 0;
                 at = text_.indexOf(needle, at + 1)) {
                (*positions_)[op].push_back(at);
            }
        }
    }

    QStringView text_;
    std::optional<std::array<std::vector<qsizetype>, kOperators.size()>> positions_;
};

}  // namespace

// One part of an expression: a literal, or a text that is looked up as a name and,
// when no name matches, split at an operator into a left part and a right part.
struct ValueResolver::Node {
    enum class Kind { Number, Quoted, BadQuote, NameOrComparison };
    Kind kind = Kind::NameOrComparison;
    qsizetype begin = 0;
    qsizetype end = 0;
    QString literal;     // the canonical number or the quoted text
    double numeric = 0;  // the literal's numeric prefix
    int op = -1;         // the operator splitting the text, -1 when there is none
    int left = -1;       // node of the left operand
    int right = -1;      // node of the right operand
};

// An expression parsed once: evaluating it again only looks up names.
struct ValueResolver::Plan {
    QString text;
    std::vector<Node> nodes;  // nodes[0] is the whole expression
};

// A value with its numeric prefix, once that is known.
struct ValueResolver::Operand {
    QString text;
    std::optional<double> numeric;

    double Numeric() const { return numeric ? *numeric : NumericPrefix(text); }
};

ValueResolver::ValueResolver(VariableScope* scope) : scope_(scope) {}

ValueResolver::~ValueResolver() = default;

ValueResolver& ValueResolver::SetSymbol(const QString& expression) {
    expression_ = expression;
    errMsg_.clear();
    return *this;
}

QString ValueResolver::Value() {
    errMsg_.clear();
    const Plan& plan = PlanFor(expression_);
    std::optional<qsizetype> longestName;
    Operand result = Evaluate(plan, 0, longestName);
    return errMsg_.isEmpty() ? std::move(result.text) : QString();
}

// Expressions come from decoded scenario lines that stay alive between steps, so
// the text's address finds its plan again; the text comparison makes that safe.
const ValueResolver::Plan& ValueResolver::PlanFor(const QString& expression) {
    const auto address = reinterpret_cast<std::uintptr_t>(expression.constData());
    std::unique_ptr<Plan>& slot = plans_[(address >> 4) % plans_.size()];
    if (slot && slot->text == expression) {
        return *slot;
    }
    auto plan = std::make_unique<Plan>(BuildPlan(expression));
    if (expression.size() > kShortExpression) {
        oversized_ = std::move(plan);  // not kept beyond this evaluation
        return *oversized_;
    }
    slot = std::move(plan);
    return *slot;
}

// Splits comparison after comparison iteratively: a chain a<b<c<... has its right
// operand as the next comparison, so its length never deepens the call stack.
// Left operands recurse, but each holds none of the operators found so far, so
// that recursion is at most one level per operator.
ValueResolver::Plan ValueResolver::BuildPlan(const QString& expression) {
    Plan plan;
    plan.text = expression;
    OperatorIndex operators(expression);
    struct Range {
        int node;
        qsizetype begin;
        qsizetype end;
    };
    std::vector<Range> open;
    auto addNode = [&](qsizetype begin, qsizetype end) {
        plan.nodes.emplace_back();
        plan.nodes.back().begin = begin;
        plan.nodes.back().end = end;
        open.push_back({static_cast<int>(plan.nodes.size() - 1), begin, end});
        return static_cast<int>(plan.nodes.size() - 1);
    };
    addNode(0, expression.size());
    while (!open.empty()) {
        const Range range = open.back();
        open.pop_back();
        Node& node = plan.nodes[range.node];
        const QStringView e = QStringView(expression).sliced(range.begin, range.end - range.begin);
        if (const auto number = WholeNumber(e)) {
            node.kind = Node::Kind::Number;
            node.literal = CanonicalNumber(*number);
            node.numeric = NumericPrefix(node.literal);
            continue;
        }
        if (e.startsWith(QLatin1Char('"'))) {
            if (e.size() >= 2 && e.endsWith(QLatin1Char('"'))) {
                node.kind = Node::Kind::Quoted;
                node.literal = e.sliced(1, e.size() - 2).toString();
                node.numeric = NumericPrefix(node.literal);
            } else {
                node.kind = Node::Kind::BadQuote;
            }
            continue;
        }
        const auto found = operators.Find(range.begin, range.end);
        if (!found) {
            continue;
        }
        const auto [op, at] = *found;
        qsizetype leftBegin = range.begin;
        qsizetype leftEnd = at;
        trimRange(expression, leftBegin, leftEnd);
        qsizetype rightBegin = at + static_cast<qsizetype>(kOperators[op].size());
        qsizetype rightEnd = range.end;
        trimRange(expression, rightBegin, rightEnd);
        const int left = addNode(leftBegin, leftEnd);
        const int right = addNode(rightBegin, rightEnd);
        Node& split = plan.nodes[range.node];  // addNode may have moved it
        split.op = static_cast<int>(op);
        split.left = left;
        split.right = right;
    }
    return plan;
}

ValueResolver::Operand ValueResolver::Evaluate(const Plan& plan, int index,
                                               std::optional<qsizetype>& longestName) {
    std::vector<std::pair<double, int>> pending;  // left value, operator
    Operand result;
    for (;;) {
        const Node& node = plan.nodes[index];
        if (node.kind == Node::Kind::Number || node.kind == Node::Kind::Quoted) {
            result = {node.literal, node.numeric};
            break;
        }
        if (node.kind == Node::Kind::BadQuote) {
            errMsg_ = kBadQuote;
            return {};
        }
        const QStringView name = QStringView(plan.text).sliced(node.begin, node.end - node.begin);
        if (auto value = Lookup(name, longestName)) {
            result = {std::move(*value), std::nullopt};
            break;
        }
        if (node.op < 0) {
            errMsg_ = kBadExpression;
            return {};
        }
        const Operand left = Evaluate(plan, node.left, longestName);
        if (!errMsg_.isEmpty()) {
            return {};
        }
        pending.emplace_back(left.Numeric(), node.op);
        index = node.right;
    }
    while (!pending.empty()) {
        const auto [left, op] = pending.back();
        pending.pop_back();
        const bool holds = compare(static_cast<std::size_t>(op), left, result.Numeric());
        result = {holds ? QStringLiteral("1") : QStringLiteral("0"), holds ? 1.0 : 0.0};
    }
    return result;
}

std::optional<QString> ValueResolver::Lookup(QStringView name,
                                             std::optional<qsizetype>& longestName) const {
    if (scope_ == nullptr || name.isEmpty()) {
        return std::nullopt;
    }
    const INISection* sections[] = {scope_->Constants(), scope_->GameVariables(),
                                    scope_->SharedVariables()};
    if (name.size() > kShortName) {
        if (!longestName) {
            longestName = std::max(
                {longestKey(sections[0]), longestKey(sections[1]), longestKey(sections[2])});
        }
        if (name.size() > *longestName) {
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
        const int line =
            section != nullptr && !expression_.isEmpty() ? section->KeyIndex(expression_) : -1;
        if (line < 0) {
            continue;
        }
        // Writing through the key also gives the stored key the spelling used here.
        if (section->LineKey(line) == expression_) {
            section->SetLineValue(line, value);
        } else {
            section->SetKeyValue(expression_, value);
        }
        return;
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
