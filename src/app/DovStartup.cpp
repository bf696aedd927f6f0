#include "app/DovStartup.h"

#include "base/stdHelpers.h"
#include "media/clsDovDriver.h"

namespace {

// The text buffer the description is read into holds this many characters.
constexpr int kDescriptionCapacity = 256;

}  // namespace

bool DovStartup::Start(clsDovDriver& dov, QString& failureMessage) {
    failureMessage.clear();
    if (dov.Init()) {
        return true;
    }
    failureMessage = FailureMessage(dov);
    return false;
}

QString DovStartup::FailureMessage(clsDovDriver& dov) {
    QString description;
    if (dov.Library().GetErrorDescription(dov.DovLastError(), description, kDescriptionCapacity) !=
        DovLibrary::kDovSuccess) {
        description = QStringLiteral("詳細取得エラー");
    }
    const QString lineBreak = QStringLiteral("\r\n");
    return QStringLiteral("メディアエンジンの初期化に失敗しました。") + lineBreak +
           QStringLiteral("エラー番号: ") +
           stdHelpers::HexPad(static_cast<std::uint32_t>(dov.DovLastError()), 8) +
           QStringLiteral(" (") + description + QStringLiteral(")") + lineBreak +
           QStringLiteral("拡張エラー番号: ") + QString::number(dov.DovExtendedErrorID1()) +
           QStringLiteral(", ") +
           stdHelpers::HexPad(static_cast<std::uint32_t>(dov.DovExtendedErrorID2()), 8) +
           lineBreak + QStringLiteral("DirectX バージョン: ") +
           FormatVersion(static_cast<std::uint32_t>(dov.DovDirectXVersion())) +
           QStringLiteral(" (もしくはそれ以上)");
}

QString DovStartup::FormatVersion(std::uint32_t version) {
    const QString digits = stdHelpers::HexPad(version, 4);
    return digits.left(digits.size() - 2) + QLatin1Char('.') + digits.right(2);
}
