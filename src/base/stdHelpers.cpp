#include "base/stdHelpers.h"

#include "base/AppState.h"
#include "platform/os/Cp932Codec.h"
#include "platform/os/FileIo.h"

#include <algorithm>

namespace stdHelpers {

bool FileExists(const QString& path) {
    return !path.isEmpty() && FileIo::isFile(path);
}

std::optional<QByteArray> ReadDocumentBytes(const QString& path) {
    const qint64 size = FileIo::size(path);
    if (size > kMaxDocumentBytes) {
        App().PutLog(QStringLiteral("File too large for a document (") + QString::number(size) +
                     QStringLiteral(" bytes), not read: ") + path);
        return std::nullopt;
    }
    return FileIo::readAll(path);
}

bool ReadTextFile(const QString& path, QString& text) {
    text.clear();
    const auto bytes = ReadDocumentBytes(path);
    if (!bytes) {
        return false;
    }
    text = Cp932Codec::decodeFileText(*bytes);
    return true;
}

bool WriteTextFile(const QString& path, const QString& text) {
    return FileIo::writeDurable(path, Cp932Codec::encode(text));
}

QString FormatMsg(const QString& templ, const QStringList& values) {
    QString result = templ;
    for (qsizetype i = 0; i < values.size(); ++i) {
        result.replace(QLatin1Char('%') + QString::number(i + 1), values.at(i));
    }
    return result;
}

bool IsCaseFolded(QStringView text) {
    const char16_t* data = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = data[i];
        if (c >= 0x80 || (c >= u'A' && c <= u'Z')) {
            return false;
        }
    }
    return true;
}

QString CaseFolded(const QString& text) {
    return IsCaseFolded(text) ? text : text.toCaseFolded();
}

QString TrimChars(const QString& text, const QString& set) {
    if (text.isEmpty() || set.isEmpty()) {
        return text;
    }
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && set.contains(text.at(begin))) {
        ++begin;
    }
    while (end > begin && set.contains(text.at(end - 1))) {
        --end;
    }
    return text.mid(begin, end - begin);
}

QString RemoveChars(const QString& text, const QString& set) {
    QString result;
    result.reserve(text.size());
    for (QChar ch : text) {
        if (!set.contains(ch)) {
            result.append(ch);
        }
    }
    return result;
}

QString HexPad(std::uint32_t value, int width, bool truncate) {
    QString digits = QString::number(value, 16).toUpper();
    if (digits.size() < width) {
        return QString(width - digits.size(), QLatin1Char('0')) + digits;
    }
    if (digits.size() > width && truncate) {
        return QString();
    }
    return digits;
}

bool IsSingleByteText(const QString& text) {
    for (QChar ch : text) {
        if (Cp932Codec::byteLength(ch.unicode()) != 1) {
            return false;
        }
    }
    return true;
}

bool IsDoubleByteText(const QString& text) {
    for (QChar ch : text) {
        if (Cp932Codec::byteLength(ch.unicode()) != 2) {
            return false;
        }
    }
    return true;
}

std::int32_t LeadingInteger(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) {
        ++i;
    }
    const bool negative = i < text.size() && text[i] == u'-';
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        ++i;
    }
    constexpr std::int64_t limit = 2147483648LL;  // one more than the largest positive value
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = std::min<std::int64_t>(value * 10 + (text[i].unicode() - u'0'), limit);
    }
    value = negative ? -value : std::min<std::int64_t>(value, limit - 1);
    return static_cast<std::int32_t>(value);
}

std::uint32_t SwapRB(std::uint32_t colour) {
    return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

}  // namespace stdHelpers
