#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/kest/KestLibrary.h"

class clsKestDriver;

// The twenty character slots of the scene: picture films placed by their
// centres and stacked front (slot 0) to back (slot 19), each with its own
// action. Slots are looked up by character ID or picture name; an unknown key
// makes every operation do nothing (and succeed). Operations answer false on a
// real failure: a picture that cannot be loaded, or no character films outside
// film set 1 (which has none by design; there they do nothing and succeed).
class CharacterStage {
public:
    using FilmId = KestLibrary::FilmId;
    using ActionId = KestLibrary::ActionId;

    static constexpr int kSlots = 20;
    static constexpr std::int32_t kNaturalSize = -1;
    static constexpr std::int32_t kUnknownXPos = 320;

    struct Slot {
        FilmId film = KestLibrary::kNoFilm;
        ActionId action = KestLibrary::kNoAction;
        QString File;
        QString CID;
        std::int32_t W = 0;
        std::int32_t H = 0;
        std::int32_t X = 0;
        std::int32_t Y = 0;
        std::int32_t column = 0;
        std::int32_t row = 0;
        bool naturalSize = false;
        bool Visible = false;
        bool TempVisible = false;
        std::int32_t Alpha = 0;
        std::int32_t BlendColor = 0;
        std::vector<std::int32_t> tokens;
        // Top left of the film when its last move without waiting began.
        QPoint moveFrom;
    };

    explicit CharacterStage(clsKestDriver& driver) : mDriver(driver) {}

    // Forgets every slot (the films are gone with the old film set).
    void Clear();
    // Takes the film and action the driver made for slot `index`.
    void Adopt(int index, FilmId film, ActionId action);
    const Slot& At(int index) const { return mSlots[static_cast<size_t>(index)]; }
    FilmId Film(int index) const;
    // A move restored from save data goes on from here.
    void SetMoveFrom(int index, QPoint from);

    // "st_ID_pose" gives "id"; names of another form give "".
    static QString FileToCID(const QString& file);
    // The slot whose CID, else whose picture name, equals the key; -1 if none.
    int FindChar(const QString& key, bool includeHidden) const;
    QString GetCharLocation(const QString& key) const;
    std::int32_t GetCharXPos(const QString& key) const;
    FilmId GetCharFilmID(const QString& key) const;
    bool CGTempVisible(const QString& key) const;
    void CGTempVisible(const QString& key, bool visible);
    std::int32_t CharBlendColor() const { return mCharBlendColor; }
    void CharBlendColor(std::int32_t colour) { mCharBlendColor = colour; }

    // Shows the picture centred at (x, y), w and h -1 for its own size. A
    // picture that cannot be loaded changes nothing (false).
    bool CGChange(const QString& file, std::int32_t x, std::int32_t y, std::int32_t w,
                  std::int32_t h, std::int32_t duration);
    // Picture cell shown; -1 keeps that index.
    bool CGFlip(const QString& key, std::int32_t column, std::int32_t row);
    bool CGHide(const QString& key, std::int32_t duration);
    bool CGHideAll(std::int32_t duration);
    bool CGAlpha(const QString& key, std::int32_t alpha, std::int32_t duration, bool wait);
    bool CGMove(const QString& key, std::int32_t x, std::int32_t y, bool absolute,
                std::int32_t duration, bool wait);

    // The slot's own action.
    bool CGActClear(const QString& key);
    bool CGActAdd(const QString& key, const QStringList& list);
    bool CGActStart(const QString& key);
    bool CGActEnd(const QString& key);
    bool CGActComplete(const QString& key);

    // The face picture in the message window; "" hides it. A picture that
    // cannot be loaded leaves the face as it was (false).
    bool FaceChange(FilmId faceFilm, const QString& name);
    const QString& Face() const { return mFace; }

    // Debug log of every slot.
    void LogChCondition();

    // Stacking: the slot goes in front of all, or behind the visible slots.
    void MoveToFront(int index);
    void MoveToBack(int index);

private:
    Slot& SlotAt(int index) { return mSlots[static_cast<size_t>(index)]; }
    bool Ready() const;
    // The answer of an operation that finds no character films.
    bool ResultWithoutFilms() const;
    // The visible slot of the key through `index` (-1 for an unknown key);
    // false when there are no character films.
    bool LookUp(const QString& key, int& index) const;
    // Runs `action`(index) on the visible slot of the key; an unknown key does
    // nothing and succeeds.
    template <typename Action>
    bool OnSlot(const QString& key, Action action);
    // Whether showing the picture needs it loaded (not in a slot, or there with
    // another blend colour).
    bool NeedsLoad(const QString& file) const;
    void ShowInFront(const QString& file, std::int32_t x, std::int32_t y);
    int VisibleSlot(const QString& key) const;
    int FirstWithFile(const QString& file) const;
    void FilmAvoid(FilmId film, bool visible);
    // Step 3 of showing a picture: brings the picture's slot to the front.
    // False when nothing is left to do; `mustLoad` tells whether to load.
    bool BringToFront(const QString& file, std::int32_t x, std::int32_t y, bool released,
                      bool& mustLoad);
    bool LoadIntoFront(const QString& file, std::int32_t w, std::int32_t h);
    // The front slot after its picture failed to load: emptied and sent back.
    void AbandonFront(const QString& file);
    void HideSlot(int index);
    // CGHide of one visible slot: inside a freeze and a fade when a duration is given.
    void HideWithEffect(int index, std::int32_t duration);
    void ClearAction(int index);
    void AppendTokens(int index, std::span<const std::int32_t> tokens);
    void CallAction(int index, KestLibrary::ActMethod method);
    // Runs the tokens on the slot's film: on the slot's own action, or on an
    // action of their own that is waited for.
    void Animate(int index, const std::vector<std::int32_t>& tokens, bool wait);

    clsKestDriver& mDriver;
    std::array<Slot, kSlots> mSlots{};
    std::int32_t mCharBlendColor = 0;
    QString mFace;
};
