#pragma once

#include <QString>
#include <vector>

// Checks the text of one text block against the message window's size and
// wraps it: speaker names become nameplate codes, a line break "\n" is put
// after every CharCount full-width characters, and the text must fit in
// LineCount lines. Escapes ("\" and the single-byte characters after it) do
// not take width.
class TextBlockChecker {
public:
    struct Nameplate {
        int index = 0;
        QString text;
    };

    // Nameplates in increasing index order; those with index 0 or an empty
    // text are never substituted.
    void Init(int charCount, int lineCount, std::vector<Nameplate> nameplates);

    int CharCount() const { return charCount_; }
    int LineCount() const { return lineCount_; }

    // True with the wrapped text, or false with the message for the player.
    bool Check(const QString& block, QString& wrapped, QString& errMsg) const;

private:
    // Only the escape "\n" matters, so the escape read so far is one of these.
    enum class Escape { None, Empty, LineBreak, Other };

    // Where wrapping stands: the output line being written (it passes
    // LineCount by one just before the write that fails), the full-width
    // characters on it and the escape being read.
    struct Cursor {
        QString& out;
        qint64 line = 0;
        qint64 width = 0;
        Escape escape = Escape::None;
    };

    QString SubstituteNameplates(const QString& block) const;
    static QString CharacterAt(const QString& text, qsizetype index);
    // The write steps are false when the line is beyond the extra line.
    bool Write(Cursor& cursor, QStringView part) const;
    static void EndEscape(Cursor& cursor);
    bool AddEscapeStart(Cursor& cursor, QStringView ch) const;
    bool AddEscapeCharacter(Cursor& cursor, QStringView ch) const;
    bool AddFullWidth(Cursor& cursor, QStringView ch) const;

    int charCount_ = 0;
    int lineCount_ = 0;
    std::vector<Nameplate> nameplates_;
};
