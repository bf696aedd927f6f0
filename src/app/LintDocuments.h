#pragma once

#include <QString>
#include <QStringList>
#include <set>

class INISection;
class LintDocument;
class LintGame;
class LintReport;
class LintScenarios;

// The document part of `varo lint`: the entry points of the system information
// and debug.ini, and the mode documents game_mode, title_mode, saveload_mode
// and omake_mode: the keys each screen needs, the pictures, sounds and movies
// they name, the labels of the replay panels. The ending roll has no document:
// its pictures come from `playending`, which the scenario check covers.
class LintDocuments {
public:
    LintDocuments(LintGame& game, const LintScenarios& scenarios, LintReport& report);

    void Check();

private:
    void CheckEntryPoints();
    void CheckGameMode();
    void CheckWindowLayout(LintDocument& document);
    void CheckLogLayout(LintDocument& document);
    void CheckWindowTypes(LintDocument& document);
    void CheckTitleMode();
    void CheckSaveLoadMode();
    void CheckSlotLayout(LintDocument& document);
    void CheckOmakeMode();
    void CheckOmakeScreen(LintDocument& document, const QString& section, const QString& prefix,
                          const QStringList& extraKeys);
    void CheckGalleryPanels(LintDocument& document);
    void CheckReplayPanels(LintDocument& document);
    void CheckMusicPanels(LintDocument& document);
    void CheckPercentPictures(LintDocument& document);
    // Numbered keys PREFIX01 ... (or from 00) that a count asks for.
    void RequireNumbered(LintDocument& document, const QString& section, const QString& prefix,
                         int first, int count);
    void CheckLabel(LintDocument& document, qint64 line, const QString& expression);
    // The completion percentages the extras screen can show for the lines of
    // the section whose key begins with the prefix, unlocked by their item 0.
    static std::set<int> Percentages(const INISection* lines, const QString& keyPrefix);

    LintGame& mGame;
    const LintScenarios& mScenarios;
    LintReport& mReport;
};
