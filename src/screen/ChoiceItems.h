#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "platform/kest/KestLibrary.h"
#include "screen/clsEventRects.h"

class clsKestDriver;
class INISection;

// The five choices of the window-mode message window: each a framed line of
// text with a clickable rectangle (group "selectionitem", Tag and key number =
// the item's index, the command in Text3), and the cell rows of the window
// buttons. Everything here does nothing outside window mode.
class ChoiceItems {
public:
    using FilmId = KestLibrary::FilmId;
    static constexpr int kItems = 5;

    explicit ChoiceItems(clsKestDriver& driver);

    // Every item empty with a new disabled rectangle; no films (a new film set).
    void Reset();
    // The frame and text films of every item, hidden (window mode only).
    void Build();

    // The next free item gets the text and the command.
    void AddChoiceItem(const QString& text, const QString& command);
    std::int32_t ChoiceCount() const { return mCount; }
    // Centres the items in use around the layout's "ChoiceCenter".
    void ChoiceArrange();
    bool ChoiceVisible() const { return mVisible; }
    void ChoiceVisible(bool visible);
    void ChoiceClear();
    // The item shows cell row `row`, every other item in use row 0.
    void ChoiceFlip(std::int32_t index, std::int32_t row);
    // The window button shows cell row 1, every other button row 0.
    void ButtonFlip(std::int32_t index);

    const QString& Text(int index) const { return At(index).text; }
    QString Command(int index) const;
    FilmId FrameFilm(int index) const { return At(index).frame; }
    FilmId TextFilm(int index) const { return At(index).textFilm; }

    // Keys "ChoiceCount", "ChoiceVisible" and "choice" & i.
    void SaveStatus(INISection& status) const;
    // Adds the stored items again, arranges them and shows or hides them.
    void LoadStatus(const INISection& status);

private:
    struct Item {
        FilmId frame = KestLibrary::kNoFilm;
        FilmId textFilm = KestLibrary::kNoFilm;
        QString text;
        clsEventRects::RectPtr rect;
    };

    const Item& At(int index) const { return mItems[static_cast<size_t>(index)]; }
    bool IsWindowMode() const;
    std::int32_t LayoutNumber(const QString& key) const;
    FilmId BuildFilm(KestLibrary::FilmKind kind, const QString& key);
    void FitToFrame(Item& item);
    void SetRow(FilmId film, std::int32_t row);

    clsKestDriver& mDriver;
    KestLibrary& mKest;
    std::array<Item, kItems> mItems{};
    std::int32_t mCount = 0;
    bool mVisible = false;
};
