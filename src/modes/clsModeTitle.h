#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>
#include <memory>

#include "modes/clsModeBase.h"

class INIFile;
class ModeHost;

// The title: the logo with its sound, then the title menu whose buttons start a
// new game, load the quick-save slot, open the save/load screen for loading or
// the extras screen, or leave the application. Its layout is the document
// "title_mode", loaded whenever the mode starts.
class clsModeTitle : public clsModeBase {
public:
    // Sub-modes of ModeStart.
    static constexpr std::int32_t kSubLogo = 1;
    static constexpr std::int32_t kSubMenu = 3;
    // SubStatus values.
    static constexpr std::int32_t kLogoShown = 1;
    static constexpr std::int32_t kMenuShown = 3;

    // Cell rows of a menu button, and the opacity of each look.
    static constexpr std::int32_t kRowNormal = 0;
    static constexpr std::int32_t kRowPointed = 1;
    static constexpr std::int32_t kRowPressed = 2;
    static constexpr std::int32_t kOpacityShown = 255;
    static constexpr std::int32_t kOpacityNoQuickSave = 150;
    static constexpr std::int32_t kOpacityExtrasLocked = 128;

    static const QString kButtonGroup;

    explicit clsModeTitle(ModeHost& varo);
    ~clsModeTitle() override;

    bool ModeStart(std::int32_t& subMode, const QVariant& argument) override;
    bool ModeEnd() override;
    void mGV_ScreenCmd(std::int32_t mode, std::int32_t command, const RectPtr& rect) override;

private:
    QString Value(const QString& section, const QString& key) const;
    void ApplyVolumes();
    void ShowLogo();
    void ShowMenu();
    void MakeMenuButton(std::int32_t index, const QString& key);
    void UpdateMenuButtons();
    QString QuickSlotName() const;
    bool ExtrasUnlocked() const;
    void Disable(clsEventRect& button, std::int32_t opacity);
    bool IsLiveButton(const RectPtr& rect) const;
    void PointAt(const RectPtr& rect);
    void Press(const clsEventRect& button);
    void RunAction(const clsEventRect& button);
    void QuickLoad(const clsEventRect& button);
    void ShowRow(const clsEventRect& button, std::int32_t row);
    void ShowRowOnEnabled(std::int32_t row);
    void PlayBaseSE(const QString& key);

    ModeHost& mVaro;
    std::unique_ptr<INIFile> mDocument;
    std::int32_t mFadeTime = 0;
    std::int32_t mInitColor = 0;
};
