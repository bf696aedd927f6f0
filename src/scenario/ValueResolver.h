#pragma once

#include <QString>
#include <QStringView>
#include <array>
#include <memory>
#include <optional>

class VariableScope;

// Evaluates value expressions and assigns variables. Every value is a string;
// an expression is a number, a quoted string, a constant or variable name, or
// one comparison whose operands are expressions again. Errors set ErrMsg.
class ValueResolver {
public:
    explicit ValueResolver(VariableScope* scope = nullptr);
    ~ValueResolver();
    ValueResolver(const ValueResolver&) = delete;
    ValueResolver& operator=(const ValueResolver&) = delete;

    void SetScope(VariableScope* scope) { scope_ = scope; }

    // Sets the expression, clears the error; returns this resolver for chaining.
    ValueResolver& SetSymbol(const QString& expression);
    const QString& SymbolExpression() const { return expression_; }
    bool IsError() const { return !errMsg_.isEmpty(); }
    const QString& ErrMsg() const { return errMsg_; }

    QString Value();
    void SetValue(const QString& value);
    qint32 NumVal();
    void SetNumVal(qint32 value);
    bool BoolVal();
    void SetBoolVal(bool value);

    // The longest decimal number at the start (after spaces); 0 when there is none.
    static double NumericPrefix(QStringView text);
    // The number when the whole text (spaces around allowed) is one decimal number.
    static std::optional<double> WholeNumber(QStringView text);
    // 7 for 007, 1.5 for 1.50, 100 for 1e2.
    static QString CanonicalNumber(double number);
    // Nearest integer, halves to even, limited to the 32-bit range.
    static qint32 RoundHalfEven(double number);

private:
    struct Node;
    struct Plan;
    struct Operand;

    const Plan& PlanFor(const QString& expression);
    static Plan BuildPlan(const QString& expression);
    Operand Evaluate(const Plan& plan, int node, std::optional<qsizetype>& longestName);
    std::optional<QString> Lookup(QStringView name, std::optional<qsizetype>& longestName) const;

    VariableScope* scope_ = nullptr;
    QString expression_;
    QString errMsg_;
    // Parsed expressions, found again by the address of their text.
    std::array<std::unique_ptr<Plan>, 16> plans_;
    std::unique_ptr<Plan> oversized_;
};
