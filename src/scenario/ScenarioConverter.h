#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

#include "scenario/IfBlockLowering.h"
#include "scenario/ScenarioRecord.h"
#include "scenario/TextBlockChecker.h"

class INIFile;
class INISection;

// Assembles scenario source text into instruction lines: comments and blank
// lines dropped, labels split off, runs of text lines turned into one checked
// and wrapped "put", command words and arguments normalised, if blocks lowered
// into numeric jumps. The first error stops assembly and is kept with its
// line number and source line.
class ScenarioConverter {
public:
    // Reads the text-block limits ("TextBlock": "CharCount", "LineCount") and
    // the nameplates ("Nameplate": "Count", "item:0" ...) of the system
    // information document. False when a limit is missing or not positive.
    bool Init(const INIFile& systemInfo);
    // The same settings given as values; nameplates[i] is nameplate i.
    bool Init(int charCount, int lineCount, const QStringList& nameplates = {});

    int CharCount() const { return checker_.CharCount(); }
    int LineCount() const { return checker_.LineCount(); }

    // Assembles a whole scenario text. Lines end in CR LF, a lone CR or a lone LF,
    // as an editor shows them. False at the first error; ErrMsg, ErrLine and
    // ErrSource then describe it.
    bool Assemble(const QString& text);

    // The program of the last successful Assemble: one line per instruction,
    // "label:" (when labelled) and the words joined by TAB, lines joined by CR LF.
    QString RegularScript() const;

    QString ErrMsg() const { return errMsg_; }
    // The 1-based source line of the error; for an if block left open at the
    // end, the line of its oldest open if, elseif or else.
    qint64 ErrLine() const { return errLine_; }
    // The last error as the player sees it for the scenario of that name.
    QString ErrorReport(const QString& name) const;
    QString ErrSource() const { return errSource_; }

    // The 1-based source line of each instruction of the last successful
    // Assemble: for a text block the line that closed it, for a nop made for a
    // label at the end (or for a text without instructions) the last line.
    const std::vector<qint64>& SourceLineNumbers() const { return programLines_; }

private:
    static const INISection* FindSection(const INIFile& document, const QString& name);
    static std::vector<TextBlockChecker::Nameplate> ReadNameplates(const INISection* section);
    static bool IsTextLine(QStringView instruction);
    static QString StoredArgument(QStringView argument);

    void Reset();
    bool ReadLine(QStringView source);
    bool TakeLabel(QStringView label);
    bool ReadTextLine(QStringView instruction, QStringView source);
    bool ReadCommandLine(QStringView instruction);
    bool FinishText();
    void Append(QStringList words);
    bool Fail(qint64 line, QStringView source, const QString& message);

    TextBlockChecker checker_;
    IfBlockLowering lowering_;

    // State of one Assemble call.
    std::vector<ScenarioRecord> records_;
    // Label waiting for the next instruction.
    QString slotLabel_;
    bool blockOpen_ = false;
    QString blockText_;
    qint64 blockFirstLine_ = 0;
    QString blockFirstSource_;
    qint64 lineNumber_ = 0;
    // The source line of each record, kept while the text is read.
    struct SourceLine {
        qint64 number = 0;
        QStringView text;
    };
    std::vector<SourceLine> recordLines_;

    std::vector<ScenarioRecord> program_;
    std::vector<qint64> programLines_;
    QString errMsg_;
    qint64 errLine_ = 0;
    QString errSource_;
};
