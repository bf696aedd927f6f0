#include "data/SavedValueCodec.h"

#include "data/INIFile.h"
#include "data/INISection.h"

namespace {

const QString kMarkerKey = QStringLiteral("Values");
const QString kMarkerValue = QStringLiteral("escaped");

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0x3000);
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    return -1;
}

template <typename Change>
void forEachValue(INIFile& document, Change change) {
    for (const auto& section : document.Sections()) {
        for (int line = 0; line < section->Count(); ++line) {
            if (!section->LineKey(line).isEmpty()) {
                section->SetLineValue(line, change(section->LineValue(line)));
            }
        }
    }
}

}  // namespace

const QString SavedValueCodec::kMarkerSection = QStringLiteral("SaveFormat");

bool SavedValueCodec::MustEscape(QChar c, bool atEdge) {
    return c == QLatin1Char('%') || c == QLatin1Char(';') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\n') || (atEdge && isBlank(c));
}

QString SavedValueCodec::Escape(const QString& value) {
    QString escaped;
    escaped.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        const bool atEdge = i == 0 || i == value.size() - 1;
        if (!MustEscape(c, atEdge)) {
            escaped += c;
        } else if (c.unicode() < 0x100) {
            escaped += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        } else {
            // An ideographic space: four digits after "%u".
            escaped += QStringLiteral("%u") +
                       QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
        }
    }
    return escaped;
}

QString SavedValueCodec::Unescape(const QString& value) {
    QString plain;
    plain.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        const bool wide =
            c == QLatin1Char('%') && i + 1 < value.size() && value.at(i + 1) == QLatin1Char('u');
        const int digits = wide ? 4 : 2;
        const qsizetype start = wide ? i + 2 : i + 1;
        int code = 0;
        bool ok = c == QLatin1Char('%') && start + digits <= value.size();
        for (int d = 0; ok && d < digits; ++d) {
            const int digit = hexDigit(value.at(start + d));
            ok = digit >= 0;
            code = code * 16 + digit;
        }
        if (!ok) {
            plain += c;  // not an escape: kept as written
            continue;
        }
        plain += QChar(static_cast<char16_t>(code));
        i = start + digits - 1;
    }
    return plain;
}

INIFile SavedValueCodec::Escaped(const INIFile& document) {
    INIFile escaped(document);
    forEachValue(escaped, [](const QString& value) { return Escape(value); });
    escaped.KeySection(kMarkerSection).SetKeyValue(kMarkerKey, kMarkerValue);
    return escaped;
}

void SavedValueCodec::UnescapeMarked(INIFile& document) {
    if (!document.KeyExists(kMarkerSection) ||
        document.KeySection(kMarkerSection).KeyValue(kMarkerKey) != kMarkerValue) {
        return;
    }
    document.RemoveSection(kMarkerSection);
    forEachValue(document, [](const QString& value) { return Unescape(value); });
}
