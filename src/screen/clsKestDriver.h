#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <vector>

#include "platform/kest/KestLibrary.h"
#include "screen/BackgroundStage.h"
#include "screen/CharacterStage.h"
#include "screen/ChoiceItems.h"
#include "screen/ItemSpec.h"
#include "screen/KestPictureLoader.h"
#include "screen/TextWindow.h"
#include "screen/clsEventRects.h"

class Clock;
class INIFile;
class INISection;
class clsSaveData;

// The engine's one owner of the screen compositor. It keeps the fixed film tree
// (root, the buffer film holding the whole scene, the background film below it),
// rebuilds the scene's films for a film set, loads pictures into films, runs
// timed actions and waits for them, and freezes and releases the screen with
// its transitions. While released, the buffer film is drawn as the screen;
// while frozen, the screen keeps the last frame and the scene changes behind it.
class clsKestDriver {
public:
    using FilmId = KestLibrary::FilmId;
    using ActionId = KestLibrary::ActionId;
    using FilmKind = KestLibrary::FilmKind;
    using RectPtr = clsEventRects::RectPtr;

    static constexpr FilmId kNoFilm = KestLibrary::kNoFilm;
    static constexpr ActionId kNoAction = KestLibrary::kNoAction;
    static constexpr int kCharSlots = 20;
    static constexpr std::int32_t kDefaultTextSpeed = 40;

    // Film sets (BaseFilmSet).
    static constexpr std::int32_t kFilmSetNone = 0;
    static constexpr std::int32_t kFilmSetBasic = 1;
    static constexpr std::int32_t kFilmSetWindow = 2;
    static constexpr std::int32_t kFilmSetNovel = 3;

    // Effects of DrawDeactivate (1 fade to black, 2 fade to white) and of
    // DrawActivate (1 cross-fade, 2 rule transition); 0 changes at once.
    static constexpr std::int32_t kEffectNone = 0;
    // Duration of an instant freeze or release; time scale that keeps an action's times.
    static constexpr std::int32_t kDefaultDuration = 1000;
    static constexpr std::int32_t kNormalTimeScale = 1000;
    static constexpr std::int32_t kFullOpacity = 256;
    static constexpr std::int32_t kEffectFade = 1;
    static constexpr std::int32_t kEffectSecond = 2;

    // The actions that Init makes, in the order it makes them.
    enum class FixedAction {
        RootLevelDown,
        RuleTransition,
        RootLevelUp,
        CrossFade,
        CursorAnimation,
        TextReveal,
        ShadowReveal,
    };
    static constexpr int kFixedActions = 7;

    // Starts the compositor on the platform's clock. Event rectangles of
    // picture buttons and window buttons go into `rects` (the game view's).
    explicit clsKestDriver(clsEventRects& rects);
    // Terminates the compositor with its log lines.
    ~clsKestDriver();
    clsKestDriver(const clsKestDriver&) = delete;
    clsKestDriver& operator=(const clsKestDriver&) = delete;

    // Builds the root film of the screen size, the buffer and background films
    // and the fixed actions. The game-mode document (may be null) must outlive
    // the driver.
    bool Init(QSize screenSize, INIFile* gamemodeInfo);

    KestLibrary& Library() { return mKest; }
    QSize ScreenSize() const { return mScreenSize; }

    FilmId FIDRoot() const { return mFIDRoot; }
    FilmId FIDBack() const { return mFIDBack; }
    FilmId FIDBuff() const { return mFIDBuff; }
    FilmId FIDWndBk() const { return mFIDWndBk; }
    FilmId FIDCur() const { return mFIDCur; }
    // The film of character slot 0..19; -1 outside the range or while absent.
    FilmId FIDChar(int index) const;
    ActionId Action(FixedAction which) const { return mActions[Index(which)]; }

    // The device context the root is drawn onto; setting it draws at once.
    KestDc ScreenDC();
    void SetScreenDC(const KestDc& dc);
    void Refresh();
    void EXEQ() { mKest.ExeQueue(); }

    // A film with its surface and size (width, height) at (x, y).
    FilmId MakeFilm(FilmKind kind, std::int32_t x, std::int32_t y, std::int32_t width,
                    std::int32_t height);
    // A new action holding the tokens, rewound; 0 (no action) for no tokens.
    ActionId AddActByParam(std::initializer_list<std::int32_t> tokens);
    ActionId AddActByAry(std::span<const std::int32_t> tokens);

    // Waits for the action to end, sleeping 1 ms at a time; the screen keeps
    // painting and animating. User input is delivered only while waits may be
    // cancelled: then WaitCancel (or the engine closing) finishes the action at
    // once and the result is false.
    bool WaitEnd(ActionId action);
    bool WaitCancelEnabled() const { return mWaitCancelEnabled; }
    void SetWaitCancelEnabled(bool enabled) { mWaitCancelEnabled = enabled; }
    bool WaitCanceled() const { return mWaitCanceled; }
    void WaitCancel() { mWaitCanceled = true; }

    bool LoadBmp(FilmId film, const QString& picture, const QString& mask, bool resize) {
        return mPictures.LoadBmp(film, picture, mask, resize);
    }
    bool LoadPng(FilmId film, const QString& picture, bool withMask, bool resize) {
        return mPictures.LoadPng(film, picture, withMask, resize);
    }
    // The transition rule of the buffer film.
    bool LoadBuffMask(const QString& name) { return mPictures.LoadBuffMask(mFIDBuff, name); }
    bool LoadByFullPath(FilmId film, const QString& path) {
        return mPictures.LoadByFullPath(film, path);
    }
    void LoadLogicalPic(FilmId film, std::int32_t mode, std::int32_t colour) {
        mPictures.LoadLogicalPic(film, mode, colour);
    }
    // Whether LoadPng with resize would load the picture; touches no film.
    bool ProbePicture(const QString& picture) { return mPictures.Probe(picture); }

    std::int32_t BaseFilmSet() const { return mBaseFilmSet; }
    // Rebuilds the scene for the film set; the screen stays frozen afterwards.
    void SetBaseFilmSet(std::int32_t set);
    // Loads the frame, name plate and state pictures of section "wndtype:" +
    // type; false (nothing changed) when one of them is not given.
    bool ChangeWindowType(std::int32_t type);
    std::int32_t WindowType() const { return mWindowType; }

    // True while the screen is released (follows the scene).
    bool DrawActivity() const { return mDrawActivity; }
    // Freezes the screen, with a fade to black (1) or white (2) first.
    bool DrawDeactivate(std::int32_t effect, std::int32_t duration);
    // Releases the screen, with a cross-fade (1) or the rule transition (2).
    bool DrawActivate(std::int32_t effect, std::int32_t duration);

    // The text window (see TextWindow; operations do nothing without a window
    // film set).
    TextWindow& Window() { return mTextWindow; }
    void SetTextWindowHooks(TextWindow::Hooks hooks) { mTextWindow.SetHooks(std::move(hooks)); }
    void TextSpeedSetting(std::int32_t speed) { mTextWindow.TextSpeedSetting(speed); }
    std::int32_t TextSpeed() const { return mTextSpeed; }
    void TextFontSetting(const QString& font, std::int32_t value) {
        mTextWindow.TextFontSetting(font, value);
    }
    bool TextVisible() const { return mTextWindow.TextVisible(); }
    void SetTextVisible(bool visible) { mTextWindow.SetTextVisible(visible); }
    void FilmAvoid(FilmId film, bool visible) { mTextWindow.FilmAvoid(film, visible); }
    void WindowModeFlip(std::int32_t row) { mTextWindow.WindowModeFlip(row); }
    void UpdateWindowMode() { mTextWindow.UpdateWindowMode(); }
    void WindowNameFlip(std::int32_t cell) { mTextWindow.WindowNameFlip(cell); }
    std::int32_t WindowNameCell() const { return mTextWindow.NameFlip(); }
    void TextPageTurn() { mTextWindow.TextPageTurn(); }
    void TextStart(const QString& text, bool withWait) { mTextWindow.TextStart(text, withWait); }
    QString CurrentText() const { return mTextWindow.CurrentText(); }
    bool CursorVisible() const { return mTextWindow.CursorVisible(); }
    void SetCursorVisible(bool visible) { mTextWindow.SetCursorVisible(visible); }
    QString ConvertMessageText(const QString& message, QString& continuation, bool& wait,
                               QString& voice, int mode) {
        return mTextWindow.ConvertMessageText(message, continuation, wait, voice, mode);
    }

    // Picture definitions and picture buttons.

    // Places the film and loads its picture with mask; a definition without a
    // picture gives an invisible film of its size. A width or height of 0 is
    // filled in from the picture's cell.
    void ApplyItemSpec(FilmId film, ItemSpec& def);
    // A picture film (or a group film without pictureFlag) under the buffer
    // film with the file's picture, its cell height and position, and an event
    // rectangle fitted to it.
    RectPtr MakeButtonFilm(std::int32_t tag, const QString& groupName, const QString& file,
                           std::int32_t x, std::int32_t y, std::int32_t cellHeight,
                           bool pictureFlag);
    RectPtr MakeSpecFilm(std::int32_t tag, const QString& groupName, ItemSpec def);
    RectPtr MakeSpecFilmFromText(std::int32_t tag, const QString& groupName, const QString& text);
    // The film's position and size as the compositor has them, for fitting an
    // event rectangle onto it (a film never sized reads as size 0).
    QRect FilmArea(FilmId film);

    // Background and character pictures (kept by BackgroundStage and CharacterStage).
    BackgroundStage& Background() { return mBackground; }
    CharacterStage& Characters() { return mCharacters; }
    const QString& BGName() const { return mBackground.BGName(); }
    bool BGFill(std::int32_t colour, std::int32_t duration) {
        return mBackground.BGFill(colour, duration);
    }
    bool BGCenter(const QString& name, std::int32_t x, std::int32_t y, std::int32_t duration,
                  bool absolute) {
        return mBackground.BGCenter(name, x, y, duration, absolute);
    }
    bool BGMove(std::int32_t x, std::int32_t y, std::int32_t duration, bool absolute) {
        return mBackground.BGMove(x, y, duration, absolute);
    }
    static QString FileToCID(const QString& file) { return CharacterStage::FileToCID(file); }
    int FindChar(const QString& key, bool includeHidden) const {
        return mCharacters.FindChar(key, includeHidden);
    }
    QString GetCharLocation(const QString& key) const { return mCharacters.GetCharLocation(key); }
    std::int32_t GetCharXPos(const QString& key) const { return mCharacters.GetCharXPos(key); }
    FilmId GetCharFilmID(const QString& key) const { return mCharacters.GetCharFilmID(key); }
    bool CGTempVisible(const QString& key) const { return mCharacters.CGTempVisible(key); }
    void CGTempVisible(const QString& key, bool visible) {
        mCharacters.CGTempVisible(key, visible);
    }
    std::int32_t CharBlendColor() const { return mCharacters.CharBlendColor(); }
    void CharBlendColor(std::int32_t colour) { mCharacters.CharBlendColor(colour); }
    bool CGChange(const QString& file, std::int32_t x, std::int32_t y, std::int32_t w,
                  std::int32_t h, std::int32_t duration) {
        return mCharacters.CGChange(file, x, y, w, h, duration);
    }
    bool CGFlip(const QString& key, std::int32_t column, std::int32_t row) {
        return mCharacters.CGFlip(key, column, row);
    }
    bool CGHide(const QString& key, std::int32_t duration) {
        return mCharacters.CGHide(key, duration);
    }
    bool CGHideAll(std::int32_t duration) { return mCharacters.CGHideAll(duration); }
    bool CGAlpha(const QString& key, std::int32_t alpha, std::int32_t duration, bool wait) {
        return mCharacters.CGAlpha(key, alpha, duration, wait);
    }
    bool CGMove(const QString& key, std::int32_t x, std::int32_t y, bool absolute,
                std::int32_t duration, bool wait) {
        return mCharacters.CGMove(key, x, y, absolute, duration, wait);
    }
    bool CGActClear(const QString& key) { return mCharacters.CGActClear(key); }
    bool CGActAdd(const QString& key, const QStringList& list) {
        return mCharacters.CGActAdd(key, list);
    }
    bool CGActStart(const QString& key) { return mCharacters.CGActStart(key); }
    bool CGActEnd(const QString& key) { return mCharacters.CGActEnd(key); }
    bool CGActComplete(const QString& key) { return mCharacters.CGActComplete(key); }
    bool FaceChange(const QString& name) { return mCharacters.FaceChange(mFIDFace, name); }
    void LogChCondition() { mCharacters.LogChCondition(); }
    void CharToFront(int index) { mCharacters.MoveToFront(index); }
    void CharToBack(int index) { mCharacters.MoveToBack(index); }

    // Choices and window buttons of window mode (see ChoiceItems).
    ChoiceItems& Choices() { return mChoices; }
    void AddChoiceItem(const QString& text, const QString& command) {
        mChoices.AddChoiceItem(text, command);
    }
    std::int32_t ChoiceCount() const { return mChoices.ChoiceCount(); }
    void ChoiceArrange() { mChoices.ChoiceArrange(); }
    bool ChoiceVisible() const { return mChoices.ChoiceVisible(); }
    void ChoiceVisible(bool visible) { mChoices.ChoiceVisible(visible); }
    void ChoiceClear() { mChoices.ChoiceClear(); }
    void ChoiceFlip(std::int32_t index, std::int32_t row) { mChoices.ChoiceFlip(index, row); }
    void ButtonFlip(std::int32_t index) { mChoices.ButtonFlip(index); }

    // Section "KestStatus" of the save data.
    void SaveStatus(clsSaveData& saveData);
    // Rebuilds the saved screen behind a frozen screen; the caller releases it.
    void LoadStatus(clsSaveData& saveData);

private:
    // The text window works on the window films kept here.
    friend class TextWindow;
    friend class ChoiceItems;

    // One character slot: its film and its own action.
    struct CharSlot {
        FilmId film = kNoFilm;
        ActionId action = kNoAction;
    };

    static constexpr std::int32_t kNeutralLevel = 128;
    static constexpr std::int32_t kFullLevel = 256;
    static constexpr std::int32_t kRuleVagueWidth = 30;
    static constexpr std::int32_t kFrameRate = 30;

    static constexpr size_t Index(FixedAction which) { return static_cast<size_t>(which); }
    static Clock& PlatformClock(std::unique_ptr<Clock>& own);

    QString GamemodeValue(const QString& section, const QString& key) const;
    bool ActionEnded(ActionId action);
    void EndWait(bool canceled);

    void FreezeReleasedScreen();
    void RemoveScene();
    void BuildBuffer();
    void AimScreenActions();
    void BuildCharSlots();
    void BuildTextFilms();
    FilmId AddTextFilm();
    void RunLevelFade(FixedAction action, std::int32_t duration);
    void RunTransition(FixedAction action, std::int32_t duration);
    void ReleaseBuffer();
    FilmId AddButtonFilm(FilmKind kind);
    RectPtr AddFittedRect(std::int32_t tag, const QString& groupName, FilmId film);

    // Extension points of the text window, backgrounds and characters, and
    // choices: filled in with those parts.

    // Whether the wait cursor is shown, and showing or hiding it.
    bool CursorShown() const;
    void ShowCursor(bool shown);
    // The five choice items empty (films -1, no text, new rectangles) and hidden.
    void ResetChoiceItems();
    // Window parts of film set 2 ("WindowMode") or 3 ("NovelMode") and the font.
    void BuildWindowParts(std::int32_t set);
    // The text window of a new film set starts out of view.
    void PutTextWindowOutOfView();
    // Status keys between "BaseFilmSet" and "WindowType": background, name
    // plate cell, characters, face, choices and text.
    void SaveSceneStatus(INISection& status);
    // Restores those keys after the film set and window type.
    void LoadSceneStatus(const INISection& status);
    void SaveCharStatus(INISection& status);
    void LoadCharStatus(const INISection& status);
    void LoadCharSlot(const QString& values, const QString& actions, const QString& position);
    // A move under way: where its film stands now, and its tokens for the rest of the way.
    bool MoveInProgress(const CharacterStage::Slot& slot, QPoint& now,
                        std::vector<std::int32_t>& rest);

    clsEventRects& mRects;
    std::unique_ptr<Clock> mOwnClock;
    Clock& mClock;
    KestLibrary mKest;
    KestPictureLoader mPictures;
    BackgroundStage mBackground{*this};
    CharacterStage mCharacters{*this};
    INIFile* mGamemodeInfo = nullptr;
    QSize mScreenSize;

    FilmId mFIDRoot = kNoFilm;
    FilmId mFIDBuff = kNoFilm;
    FilmId mFIDBack = kNoFilm;
    FilmId mFIDCur = kNoFilm;
    FilmId mFIDWndBk = kNoFilm;
    FilmId mFIDText = kNoFilm;
    FilmId mFIDShadow = kNoFilm;
    FilmId mFIDFrame = kNoFilm;
    FilmId mFIDState = kNoFilm;
    FilmId mFIDNamePlate = kNoFilm;
    FilmId mFIDFace = kNoFilm;
    std::vector<FilmId> mButtonFilms;
    std::array<ActionId, kFixedActions> mActions{};
    std::array<CharSlot, kCharSlots> mChars{};

    std::int32_t mBaseFilmSet = kFilmSetNone;
    std::int32_t mWindowType = 0;
    std::int32_t mTextSpeed = kDefaultTextSpeed;
    std::int32_t mBGFillColor = 0;
    bool mDrawActivity = false;
    bool mWaitCancelEnabled = false;
    bool mWaitCanceled = true;
    TextWindow mTextWindow{*this};
    ChoiceItems mChoices{*this};
};
