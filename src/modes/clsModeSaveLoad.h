#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <memory>
#include <vector>

#include "modes/clsModeBase.h"
#include "platform/kest/KestLibrary.h"

class ModeHost;
class INIFile;
class INISection;

// The slot screen: pages of save slots laid out from the document
// "saveload_mode", each slot showing the date, time, place and thumbnail of
// its file, with buttons to save into it (only when opened from the game) and
// to load from it. Leaving returns to the game or to the title.
class clsModeSaveLoad : public clsModeBase {
public:
    using FilmId = KestLibrary::FilmId;

    // Sub-modes of ModeStart.
    static constexpr std::int32_t kSubFromTitle = 12;
    static constexpr std::int32_t kSubFromGame = 13;
    // Cell rows of the slot buttons.
    static constexpr std::int32_t kRowNormal = 0;
    static constexpr std::int32_t kRowPointed = 1;
    static constexpr std::int32_t kRowPressed = 2;
    static constexpr std::int32_t kRowDisabled = 3;
    // Characters of the site name shown in a slot.
    static constexpr int kSiteNameLength = 14;

    explicit clsModeSaveLoad(ModeHost& varo);

    bool ModeStart(std::int32_t& subMode, const QVariant& argument) override;
    bool ModeEnd() override;
    void mGV_ScreenCmd(std::int32_t mode, std::int32_t command, const RectPtr& rect) override;

    // Builds the whole screen from the settings.
    void MakeSaveLoadFilms();

    bool SaveAllowed() const { return mSaveAllowed; }
    // The page shown (from 1); 0 before a page was shown.
    std::int32_t CurrentPage() const { return mPage; }
    std::int32_t PageCount() const { return mPageCount; }
    std::int32_t SlotCount() const { return static_cast<std::int32_t>(mSlots.size()); }
    // What the slot's text film shows; its thumbnail and text films (kNoFilm
    // when the layout has none).
    QString SlotText(std::int32_t slot) const;
    FilmId ThumbnailFilm(std::int32_t slot) const;
    FilmId TextFilm(std::int32_t slot) const;

private:
    struct SlotRecord {
        QPoint position;
        RectPtr base;
        RectPtr save;
        RectPtr load;
        FilmId thumbnail = KestLibrary::kNoFilm;
        FilmId text = KestLibrary::kNoFilm;
        QString shownText;
    };

    INISection& Section(const QString& name) const;
    void ReadCounts();
    std::int32_t ReadCount(const QString& section, const QString& key) const;
    void MakeBackground();
    void MakePageButtons();
    std::vector<QPoint> SlotPositions() const;
    void MakeSlot(SlotRecord& slot, std::int32_t index);
    void MakeSlotText(SlotRecord& slot);

    void ShowPage(std::int32_t page, bool withTransition);
    void FillSlot(std::int32_t index, std::int32_t page, bool saveAllowed);
    void SetSlotText(SlotRecord& slot, const QString& text);
    void ShowThumbnail(SlotRecord& slot, const QString& bmpPath, bool present);

    RectPtr MakeButton(std::int32_t tag, const QString& groupName, const QString& section,
                       const QString& key, QPoint offset);
    FilmId MakeItemFilm(KestLibrary::FilmKind kind, const QString& definition, QPoint offset);

    void PointAt(const RectPtr& rect);
    void PageClick(const RectPtr& rect);
    void ReturnClick(const clsEventRect& rect);
    void SaveClick(const clsEventRect& rect);
    void LoadClick(const clsEventRect& rect);
    void ShowPressed(const clsEventRect& rect);
    bool Confirm(const QString& queryKey, const QString& messageKey);
    void ReturnToCaller();

    static bool IsSlotGroup(const QString& tagName);
    void SetCellRow(const RectPtr& rect, std::int32_t row);

    void LogLayoutProblem(const QString& text) const;

    ModeHost& mVaro;
    bool mSaveAllowed = false;
    std::unique_ptr<INIFile> mSettings;
    std::int32_t mSlotXCount = 0;
    std::int32_t mSlotYCount = 0;
    bool mFreePlaceMode = false;
    std::int32_t mPageCount = 0;
    QString mPointSE;
    QString mClickSE;
    std::int32_t mPage = 0;
    std::vector<SlotRecord> mSlots;
    // Index page - 1; null where the layout has no button for the page.
    std::vector<RectPtr> mPageButtons;
    QStringList mReportedKeys;  // missing layout keys already logged
};
