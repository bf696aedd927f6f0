#include "app/LintDocuments.h"

#include <QMap>
#include <vector>

#include "app/LintDocument.h"
#include "app/LintGame.h"
#include "app/LintReport.h"
#include "app/LintScenarios.h"
#include "base/AppState.h"
#include "base/stdHelpers.h"
#include "data/INISection.h"

namespace {

QString twoDigits(int number) {
    return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

// Item i of a comma-separated value, trimmed, as the extras screen reads it.
QString item(const QString& value, int index) {
    return value.section(QLatin1Char(','), index, index).trimmed();
}

// The keyed lines of a section with their document lines.
struct KeyedLine {
    QString key;
    QString value;
    qint64 line = 0;
};

std::vector<KeyedLine> keyedLines(const INISection* section) {
    std::vector<KeyedLine> lines;
    for (int index = 0; section != nullptr && index < section->Count(); ++index) {
        const QString key = section->LineKey(index);
        if (!key.isEmpty()) {
            lines.push_back({key, section->LineValue(index), section->FirstLine() + index});
        }
    }
    return lines;
}

}  // namespace

LintDocuments::LintDocuments(LintGame& game, const LintScenarios& scenarios, LintReport& report)
    : mGame(game), mScenarios(scenarios), mReport(report) {}

void LintDocuments::Check() {
    CheckEntryPoints();
    CheckGameMode();
    CheckTitleMode();
    CheckSaveLoadMode();
    CheckOmakeMode();
}

void LintDocuments::CheckLabel(LintDocument& document, qint64 line, const QString& expression) {
    const QString problem = mScenarios.LabelProblem(expression, QString());
    if (!problem.isEmpty()) {
        document.Add(line, problem);
    }
}

void LintDocuments::RequireNumbered(LintDocument& document, const QString& section,
                                    const QString& prefix, int first, int count) {
    for (int number = first; number < first + count; ++number) {
        const QString key = prefix + twoDigits(number);
        document.Require(section, {key});
        document.CheckPicture(section, key);
    }
}

// ---------------------------------------------------------------------------
// Entry points

// A new game starts at debug.ini's entry point when there is one, else at the
// system information's; each one given must lead somewhere.
void LintDocuments::CheckEntryPoints() {
    const QString key = QStringLiteral("EntryPoint");
    const INISection& debug = mGame.DebugSection();
    const QString debugEntry = mGame.HasDebugSettings() ? debug.KeyValue(key) : QString();
    if (!debugEntry.isEmpty()) {
        const QString problem = mScenarios.LabelProblem(debugEntry, QString());
        if (!problem.isEmpty()) {
            mReport.Add(QStringLiteral("debug.ini"), debug.FirstLine() + debug.KeyIndex(key),
                        problem);
        }
    }
    LintDocument info(QStringLiteral("SystemInfo"), mGame, mReport);
    const QString entry = info.Value(QStringLiteral("Game"), key);
    if (!entry.isEmpty()) {
        CheckLabel(info, info.KeyLine(QStringLiteral("Game"), key), entry);
    } else if (debugEntry.isEmpty()) {
        info.AddAt(QStringLiteral("Game"), key,
                   QStringLiteral("[Game] has no EntryPoint: a new game has nowhere to start"));
    }
}

// ---------------------------------------------------------------------------
// Game mode

void LintDocuments::CheckGameMode() {
    LintDocument document(QStringLiteral("game_mode"), mGame, mReport);
    if (!document.IsLoaded()) {
        return;
    }
    document.CheckSound(QStringLiteral("Base"), QStringLiteral("PointSE"));
    document.CheckSound(QStringLiteral("Base"), QStringLiteral("ClickSE"));
    CheckWindowLayout(document);
    CheckLogLayout(document);
    CheckWindowTypes(document);
}

// The window screen always; choices when a scenario offers any; the novel
// screen when a scenario switches to it or debug.ini starts in it.
void LintDocuments::CheckWindowLayout(LintDocument& document) {
    const QString window = QStringLiteral("WindowMode");
    QStringList needed{QStringLiteral("Text"), QStringLiteral("WaitCursor")};
    if (mScenarios.Uses(QStringLiteral("item"))) {
        needed << QStringLiteral("ChoiceFrame") << QStringLiteral("ChoiceText")
               << QStringLiteral("ChoiceSpace") << QStringLiteral("ChoiceCenter");
    }
    if (document.Require(window, needed)) {
        for (const char* key :
             {"Back", "Frame", "Nameplate", "State", "WaitCursor", "ChoiceFrame"}) {
            document.CheckPicture(window, QLatin1String(key));
        }
        for (const QString& button : document.ListedKeys(window, QStringLiteral("Buttons"))) {
            document.CheckPicture(window, button);
        }
    }
    const QString novel = QStringLiteral("NovelMode");
    if (mScenarios.Uses(QStringLiteral("textnovel")) || App().NovelMode) {
        document.Require(novel, {QStringLiteral("Text"), QStringLiteral("WaitCursor")});
    }
    document.CheckPicture(novel, QStringLiteral("Back"));
    document.CheckPicture(novel, QStringLiteral("WaitCursor"));
}

// The back-log can always be opened from the game.
void LintDocuments::CheckLogLayout(LintDocument& document) {
    const QString log = QStringLiteral("LogMode");
    QStringList needed{QStringLiteral("Back")};
    for (int block = 0; block < 4; ++block) {
        needed << QStringLiteral("Text") + QString::number(block)
               << QStringLiteral("Voice") + QString::number(block);
    }
    if (!document.Require(log, needed)) {
        return;
    }
    document.CheckPicture(log, QStringLiteral("Back"));
    for (int block = 0; block < 4; ++block) {
        document.CheckPicture(log, QStringLiteral("Voice") + QString::number(block));
    }
    for (const QString& button : document.ListedKeys(log, QStringLiteral("Buttons"))) {
        document.CheckPicture(log, button);
    }
}

// `wnd` fails unless its window type has all three pictures.
void LintDocuments::CheckWindowTypes(LintDocument& document) {
    const QStringList parts{QStringLiteral("Frame"), QStringLiteral("NamePlate"),
                            QStringLiteral("State")};
    const auto& types = mScenarios.WindowTypes();
    for (auto type = types.cbegin(); type != types.cend(); ++type) {
        const QString section = QStringLiteral("wndtype:") + QString::number(type.key());
        QStringList missing;
        for (const QString& part : parts) {
            if (document.Value(section, part).isEmpty()) {
                missing << part;
            }
        }
        if (!missing.isEmpty()) {
            mReport.Add(type->file, type->line,
                        QStringLiteral("window type ") + QString::number(type.key()) +
                            QStringLiteral(" needs ") + missing.join(QStringLiteral(", ")) +
                            QStringLiteral(" in [") + section + QStringLiteral("] of ") +
                            document.File());
        }
    }
    for (const QString& section : document.SectionNames()) {
        if (section.startsWith(QLatin1String("wndtype:"), Qt::CaseInsensitive)) {
            for (const QString& part : parts) {
                document.CheckPicture(section, part);
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Title

void LintDocuments::CheckTitleMode() {
    LintDocument document(QStringLiteral("title_mode"), mGame, mReport);
    if (!document.IsLoaded()) {
        return;
    }
    const QString logo = QStringLiteral("Logo");
    const QString menu = QStringLiteral("menu");
    document.CheckSound(QStringLiteral("Base"), QStringLiteral("PointSE"));
    document.CheckSound(QStringLiteral("Base"), QStringLiteral("ClickSE"));
    if (document.Require(logo, {QStringLiteral("bg")})) {
        document.CheckPicture(logo, QStringLiteral("bg"));
        document.CheckSound(logo, QStringLiteral("se"));
    }
    if (document.Require(menu, {QStringLiteral("bg"), QStringLiteral("Buttons")})) {
        document.CheckPicture(menu, QStringLiteral("bg"));
        document.CheckSound(menu, QStringLiteral("bgm"));
        for (const QString& button : document.ListedKeys(menu, QStringLiteral("Buttons"))) {
            document.CheckPicture(menu, button);
        }
    }
}

// ---------------------------------------------------------------------------
// Save/load

void LintDocuments::CheckSaveLoadMode() {
    LintDocument document(QStringLiteral("saveload_mode"), mGame, mReport);
    if (!document.IsLoaded()) {
        return;
    }
    const QString base = QStringLiteral("Base");
    if (document.Require(base, {QStringLiteral("BGFromGame"), QStringLiteral("BGFromTitle")})) {
        document.CheckPicture(base, QStringLiteral("BGFromGame"));
        document.CheckPicture(base, QStringLiteral("BGFromTitle"));
        document.CheckSound(base, QStringLiteral("PointSE"));
        document.CheckSound(base, QStringLiteral("ClickSE"));
    }
    const QString buttons = QStringLiteral("Button");
    if (document.Require(buttons, {QStringLiteral("Return")})) {
        document.CheckPicture(buttons, QStringLiteral("Return"));
        const int pages = document.RequireCount(buttons, QStringLiteral("PageNoCount"));
        // With a single page its button only decorates the screen.
        if (pages > 1) {
            RequireNumbered(document, buttons, QStringLiteral("PageNo"), 0, pages);
        }
    }
    CheckSlotLayout(document);
}

void LintDocuments::CheckSlotLayout(LintDocument& document) {
    const QString layout = QStringLiteral("Slots");
    if (document.Require(layout, {})) {
        if (document.Value(layout, QStringLiteral("FreePlaceMode")).toLower() ==
            QLatin1String("true")) {
            const int count = document.RequireCount(layout, QStringLiteral("SlotCount"));
            for (int slot = 0; slot < count; ++slot) {
                document.Require(layout, {QStringLiteral("Slot") + twoDigits(slot)});
            }
        } else {
            document.RequireCount(layout, QStringLiteral("SlotXCount"));
            document.RequireCount(layout, QStringLiteral("SlotYCount"));
            document.Require(layout, {QStringLiteral("SlotXBase"), QStringLiteral("SlotYBase"),
                                      QStringLiteral("SlotXDiff"), QStringLiteral("SlotYDiff")});
        }
    }
    const QString slotBase = QStringLiteral("SlotBase");
    if (document.Require(slotBase,
                         {QStringLiteral("Base"), QStringLiteral("Thumb"), QStringLiteral("Save"),
                          QStringLiteral("Load"), QStringLiteral("Text")})) {
        for (const char* key : {"Base", "Save", "Load"}) {
            document.CheckPicture(slotBase, QLatin1String(key));
        }
    }
}

// ---------------------------------------------------------------------------
// Extras

void LintDocuments::CheckOmakeMode() {
    LintDocument document(QStringLiteral("omake_mode"), mGame, mReport);
    if (!document.IsLoaded()) {
        return;
    }
    document.CheckSound(QStringLiteral("base"), QStringLiteral("PointSE"));
    document.CheckSound(QStringLiteral("base"), QStringLiteral("ClickSE"));
    CheckOmakeScreen(document, QStringLiteral("cgmode"), QStringLiteral("CG"),
                     {QStringLiteral("NullPanel")});
    CheckOmakeScreen(document, QStringLiteral("repmode"), QStringLiteral("Rep"),
                     {QStringLiteral("NullPanel")});
    CheckOmakeScreen(
        document, QStringLiteral("SndMode"), QStringLiteral("Snd"),
        {QStringLiteral("SndBack"), QStringLiteral("SndPlay"), QStringLiteral("SndStop"),
         QStringLiteral("SndNext"), QStringLiteral("SndSingle"), QStringLiteral("SndAll"),
         QStringLiteral("SndRandom")});
    CheckGalleryPanels(document);
    CheckReplayPanels(document);
    CheckMusicPanels(document);
    CheckPercentPictures(document);
}

void LintDocuments::CheckOmakeScreen(LintDocument& document, const QString& section,
                                     const QString& prefix, const QStringList& extraKeys) {
    QStringList buttons;
    for (int mode = 1; mode <= 3; ++mode) {
        buttons << prefix + QStringLiteral("ModeBtn") + twoDigits(mode);
    }
    buttons << prefix + QStringLiteral("Return") << extraKeys;
    if (!document.Require(section, QStringList{QStringLiteral("bg")} + buttons)) {
        return;
    }
    document.CheckPicture(section, QStringLiteral("bg"));
    for (const QString& button : buttons) {
        document.CheckPicture(section, button);
    }
    const int pages = document.RequireCount(section, QStringLiteral("PageCount"));
    const int panels = document.RequireCount(section, QStringLiteral("PanelCount"));
    if (pages > 1) {
        RequireNumbered(document, section, prefix + QStringLiteral("PageBtn"), 1, pages);
    }
    RequireNumbered(document, section, prefix + QStringLiteral("Panel"), 1, panels);
}

// Each viewing step: the key of its CG record, a command, its picture or movie.
void LintDocuments::CheckGalleryPanels(LintDocument& document) {
    for (const KeyedLine& panel : keyedLines(document.Section(QStringLiteral("cgmode_panel")))) {
        const QString picture = item(panel.value, 0);
        const QString problem = picture.isEmpty()
                                    ? QString()
                                    : mGame.PictureProblem(picture, QStringLiteral("picture"));
        if (!problem.isEmpty()) {
            document.Add(panel.line, problem);
        }
    }
    for (const KeyedLine& step : keyedLines(document.Section(QStringLiteral("cgmode_cmd")))) {
        const QString command = item(step.value, 1).toLower();
        const QString file = item(step.value, 2);
        QString problem;
        if (command != QLatin1String("bg") && command != QLatin1String("scroll") &&
            command != QLatin1String("movie")) {
            problem = QStringLiteral("[cgmode_cmd] ") + step.key +
                      QStringLiteral(": unknown step command '") + item(step.value, 1) +
                      QStringLiteral("' (bg, scroll or movie)");
        } else if (file.isEmpty()) {
            problem = QStringLiteral("[cgmode_cmd] ") + step.key + QStringLiteral(" names no file");
        } else if (command == QLatin1String("movie")) {
            problem = mGame.MovieProblem(file);
        } else {
            problem = mGame.PictureProblem(file, QStringLiteral("picture"));
        }
        if (!problem.isEmpty()) {
            document.Add(step.line, problem);
        }
    }
}

// Each scene: the shared variable that unlocks it, its picture, its label.
void LintDocuments::CheckReplayPanels(LintDocument& document) {
    for (const KeyedLine& panel : keyedLines(document.Section(QStringLiteral("repmode_panel")))) {
        const QString picture = item(panel.value, 1);
        if (!picture.isEmpty()) {
            const QString problem = mGame.PictureProblem(picture, QStringLiteral("picture"));
            if (!problem.isEmpty()) {
                document.Add(panel.line, problem);
            }
        }
        const QString label = item(panel.value, 2);
        if (!label.isEmpty()) {
            CheckLabel(document, panel.line, label);
        }
    }
}

// Each record: its music, its picture.
void LintDocuments::CheckMusicPanels(LintDocument& document) {
    for (const KeyedLine& panel : keyedLines(document.Section(QStringLiteral("sndmode_panel")))) {
        const QString music = item(panel.value, 0);
        const QString picture = item(panel.value, 1);
        const QString problems[] = {
            music.isEmpty() ? QString() : mGame.SoundProblem(music, QStringLiteral("sound")),
            picture.isEmpty() ? QString()
                              : mGame.PictureProblem(picture, QStringLiteral("picture"))};
        for (const QString& problem : problems) {
            if (!problem.isEmpty()) {
                document.Add(panel.line, problem);
            }
        }
    }
}

// The counter shows the picture of the prefix and the percentage in three digits.
void LintDocuments::CheckPercentPictures(LintDocument& document) {
    const QString base = QStringLiteral("base");
    if (document.Value(base, QStringLiteral("Percent")).isEmpty()) {
        return;
    }
    std::set<int> shown =
        Percentages(document.Section(QStringLiteral("cgmode_cmd")), QStringLiteral("cmd"));
    shown.merge(
        Percentages(document.Section(QStringLiteral("repmode_panel")), QStringLiteral("panel")));
    if (App().AllCG) {
        shown.insert(100);
    }
    const QString prefix = document.Value(base, QStringLiteral("PercentImagePrefix"));
    for (const int percent : shown) {
        const QString picture = prefix + QStringLiteral("%1").arg(percent, 3, 10, QLatin1Char('0'));
        const QString problem = mGame.PictureProblem(picture, QStringLiteral("picture"));
        if (!problem.isEmpty()) {
            document.AddAt(base, QStringLiteral("PercentImagePrefix"), problem);
        }
    }
}

// Lines sharing an item 0 unlock together; lines without one never do.
std::set<int> LintDocuments::Percentages(const INISection* lines, const QString& keyPrefix) {
    QMap<QString, int> together;
    int total = 0;
    for (const KeyedLine& line : keyedLines(lines)) {
        if (!line.key.startsWith(keyPrefix, Qt::CaseInsensitive)) {
            continue;
        }
        ++total;
        const QString name = item(line.value, 0);
        if (!name.isEmpty()) {
            ++together[name.toCaseFolded()];
        }
    }
    if (total == 0) {
        return {0};
    }
    std::vector<bool> reachable(static_cast<std::size_t>(total) + 1, false);
    reachable[0] = true;
    for (const int weight : together) {
        for (int sum = total - weight; sum >= 0; --sum) {
            if (reachable[static_cast<std::size_t>(sum)]) {
                reachable[static_cast<std::size_t>(sum + weight)] = true;
            }
        }
    }
    std::set<int> percentages;
    for (int unlocked = 0; unlocked <= total; ++unlocked) {
        if (reachable[static_cast<std::size_t>(unlocked)]) {
            percentages.insert(static_cast<int>(qint64{unlocked} * 100 / total));
        }
    }
    return percentages;
}
