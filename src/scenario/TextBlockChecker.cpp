#include "scenario/TextBlockChecker.h"

#include "platform/os/Cp932Codec.h"

namespace {

bool IsSingleByte(QChar ch) {
    return Cp932Codec::byteLength(ch.unicode()) == 1;
}

}  // namespace

void TextBlockChecker::Init(int charCount, int lineCount, std::vector<Nameplate> nameplates) {
    charCount_ = charCount;
    lineCount_ = lineCount;
    nameplates_ = std::move(nameplates);
}

QString TextBlockChecker::SubstituteNameplates(const QString& block) const {
    QString text = block;
    for (const Nameplate& nameplate : nameplates_) {
        if (nameplate.index >= 1 && !nameplate.text.isEmpty()) {
            text.replace(nameplate.text,
                         QStringLiteral("\\np(") + QString::number(nameplate.index) + u')');
        }
    }
    return text;
}

// The character at the index, both halves of a surrogate pair together.
QString TextBlockChecker::CharacterAt(const QString& text, qsizetype index) {
    const bool pair = text[index].isHighSurrogate() && index + 1 < text.size() &&
                      text[index + 1].isLowSurrogate();
    return text.mid(index, pair ? 2 : 1);
}

bool TextBlockChecker::Write(Cursor& cursor, QStringView part) const {
    if (cursor.line > lineCount_) {
        return false;
    }
    cursor.out += part;
    return true;
}

// An escape ends at the next "\\" or full-width character; "\\n" breaks the line.
void TextBlockChecker::EndEscape(Cursor& cursor) {
    if (cursor.escape == Escape::LineBreak) {
        ++cursor.line;
        cursor.width = 0;
    }
    cursor.escape = Escape::None;
}

bool TextBlockChecker::AddEscapeStart(Cursor& cursor, QStringView ch) const {
    EndEscape(cursor);
    cursor.escape = Escape::Empty;
    return Write(cursor, ch);
}

bool TextBlockChecker::AddEscapeCharacter(Cursor& cursor, QStringView ch) const {
    const bool breakLetter = ch.front().toLower() == u'n';
    cursor.escape =
        cursor.escape == Escape::Empty && breakLetter ? Escape::LineBreak : Escape::Other;
    return Write(cursor, ch);
}

bool TextBlockChecker::AddFullWidth(Cursor& cursor, QStringView ch) const {
    EndEscape(cursor);
    if (cursor.width >= charCount_) {
        if (!Write(cursor, u"\\n")) {
            return false;
        }
        ++cursor.line;
        cursor.width = 0;
    }
    ++cursor.width;
    return Write(cursor, ch);
}

bool TextBlockChecker::Check(const QString& block, QString& wrapped, QString& errMsg) const {
    const QString text = SubstituteNameplates(block);
    const QStringView view(text);
    wrapped.clear();
    wrapped.reserve(text.size() + 16);
    Cursor cursor{wrapped};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QStringView ch = view.sliced(i, 1);
        bool written = true;
        if (ch.front() == u'\\') {
            written = AddEscapeStart(cursor, ch);
        } else if (!IsSingleByte(ch.front())) {
            written = AddFullWidth(cursor, ch);
        } else if (cursor.escape != Escape::None) {
            written = AddEscapeCharacter(cursor, ch);
        } else {
            errMsg = QStringLiteral("字幕省略で不正な半角文字 '") + CharacterAt(text, i) +
                     QStringLiteral("' があります。");
            return false;
        }
        if (!written) {
            errMsg = QStringLiteral("字幕省略で上限行数を超えている可能性があります。");
            return false;
        }
    }
    if (cursor.line == lineCount_ && cursor.width > 0) {
        errMsg = QStringLiteral("字幕省略で上限行数を超えて全角文字があります。");
        return false;
    }
    return true;
}
