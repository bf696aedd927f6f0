#include "scenario/Script.h"

#include "base/stdHelpers.h"
#include "scenario/TextLines.h"

void Script::Init(const QString& name, bool reserved) {
    name_ = name;
    reserved_ = reserved;
}

bool Script::Parse(const QString& text, QString& errMsg) {
    errMsg.clear();
    labels_.clear();
    labels_.emplace(QString(), 0);
    lines_.clear();
    for (const QStringView line : TextLines::Split(text)) {
        lines_.push_back(line.toString());
    }
    for (qsizetype k = 0; k < lines_.size(); ++k) {
        QString& line = lines_[k];
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon < 0 || line.indexOf(QLatin1Char(':'), colon + 1) >= 0) {
            continue;
        }
        const QString label = line.left(colon);
        const QString folded = stdHelpers::CaseFolded(label);
        if (labels_.contains(folded)) {
            errMsg = QStringLiteral("ラベル'") + label + QStringLiteral("'が重複しています。");
            return false;
        }
        labels_.emplace(folded, static_cast<qint32>(k));
        line = line.mid(colon + 1);
    }
    return true;
}

qint32 Script::LabelAddress(const QString& label) const {
    const auto found = labels_.find(stdHelpers::CaseFolded(label));
    return found == labels_.end() ? -1 : found->second;
}

QString Script::Element(qint32 index) const {
    if (index < 0 || index >= Count()) {
        return QString();
    }
    return lines_.at(index);
}
