#include "platform/os/Cp932Codec.h"

#include <array>
#include <cstdint>

namespace cp932tables {
extern const std::uint16_t kSingle[256];
extern const std::uint8_t kLeads[60];
extern const std::uint16_t kDouble[60][189];
}  // namespace cp932tables

namespace {

constexpr std::uint16_t kLeadMark = 0xFFFF;
constexpr char16_t kReplacement = 0xFFFD;
constexpr int kTrailFirst = 0x40;
constexpr int kTrailLast = 0xFC;

int leadRow(std::uint8_t lead) {
    if (lead >= 0x81 && lead <= 0x9F) {
        return lead - 0x81;
    }
    if (lead >= 0xE0 && lead <= 0xFC) {
        return lead - 0xE0 + 31;
    }
    return -1;
}

bool isTrail(std::uint8_t b) {
    return b >= kTrailFirst && b <= kTrailLast && b != 0x7F;
}

// Where several codes decode to one character, Windows writes the standard JIS
// code first, then NEC row 13, then the IBM extensions, then the NEC-selected
// IBM extensions. Lower rank wins.
int encodingRank(int lead) {
    if (lead == 0x87) {
        return 1;
    }
    if (lead >= 0xFA) {
        return 2;
    }
    if (lead == 0xED || lead == 0xEE) {
        return 3;
    }
    return 0;
}

// Reverse table: UTF-16 unit -> code (0 = not encodable; single bytes stored as is).
struct EncodeTable {
    std::array<std::uint16_t, 65536> code{};
    std::array<std::uint8_t, 65536> rank{};

    EncodeTable() {
        rank.fill(0xFF);
        for (int b = 0; b < 256; ++b) {
            const std::uint16_t u = cp932tables::kSingle[b];
            if (u != kLeadMark && u != kReplacement) {
                code[u] = static_cast<std::uint16_t>(b);
                rank[u] = 0;
            }
        }
        for (int row = 0; row < 60; ++row) {
            const int lead = cp932tables::kLeads[row];
            for (int t = 0; t < 189; ++t) {
                const std::uint16_t u = cp932tables::kDouble[row][t];
                if (u == 0) {
                    continue;
                }
                const int r = encodingRank(lead);
                if (r < rank[u]) {
                    rank[u] = static_cast<std::uint8_t>(r);
                    code[u] = static_cast<std::uint16_t>((lead << 8) | (t + kTrailFirst));
                }
            }
        }
    }
};

const EncodeTable& encodeTable() {
    static const EncodeTable table;
    return table;
}

}  // namespace

QString Cp932Codec::decode(QByteArrayView bytes) {
    QString out;
    out.resize(bytes.size());
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    qsizetype n = 0;
    const auto* src = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const std::uint8_t b = src[i];
        const std::uint16_t single = cp932tables::kSingle[b];
        if (single != kLeadMark) {
            dst[n++] = single;
            continue;
        }
        if (i + 1 >= size || !isTrail(src[i + 1])) {
            dst[n++] = kReplacement;
            continue;
        }
        const std::uint16_t u = cp932tables::kDouble[leadRow(b)][src[i + 1] - kTrailFirst];
        dst[n++] = u != 0 ? u : kReplacement;
        ++i;
    }
    out.truncate(n);
    return out;
}

QByteArray Cp932Codec::encode(QStringView text) {
    const EncodeTable& table = encodeTable();
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    char* dst = out.data();
    qsizetype n = 0;
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        const std::uint16_t c = table.code[u];
        if (c == 0 && u != 0) {
            dst[n++] = '?';
        } else if (c > 0xFF) {
            dst[n++] = static_cast<char>(c >> 8);
            dst[n++] = static_cast<char>(c & 0xFF);
        } else {
            dst[n++] = static_cast<char>(c);
        }
    }
    out.truncate(n);
    return out;
}

int Cp932Codec::byteLength(char16_t unit) {
    return encodeTable().code[unit] > 0xFF ? 2 : 1;
}

QString Cp932Codec::decodeFileText(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        return QString::fromUtf8(bytes.sliced(3));
    }
    return decode(bytes);
}
