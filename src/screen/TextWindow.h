#pragma once

#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/kest/KestLibrary.h"

class clsKestDriver;
struct ItemSpec;

// The message window of the screen driver: the window parts of the window-mode
// and novel-mode layouts, the text and shadow text films with their page, the
// wait cursor, the name plate and state cells, and showing or hiding the whole
// window. It works on the driver's films and compositor.
class TextWindow {
public:
    using FilmId = KestLibrary::FilmId;

    // What the window needs from the engine, the game view, the configuration
    // and the game's documents. A missing function reads as "", false or -1.
    struct Hooks {
        std::function<QString(const QString& key)> ConfigValue;
        std::function<bool()> IsSkipMode;
        std::function<bool()> AutoClickEnabled;
        std::function<QSize()> ScriptScale;
        std::function<int(const QString& cid)> GetIndexByCID;
        std::function<std::uint32_t(int entry)> CharColor;
        std::function<QString(const QString& section, const QString& key)> SystemInfoValue;
    };

    // Hidden films lie this far to the right of their place.
    static constexpr std::int32_t kAvoidShift = 5000;
    static constexpr std::int32_t kFontColour = 0xFFFFFF;
    static constexpr std::int32_t kShadowColour = 0x000000;

    explicit TextWindow(clsKestDriver& driver);

    void SetHooks(Hooks hooks) { mHooks = std::move(hooks); }

    // Window parts of film set 2 ("WindowMode") or 3 ("NovelMode").
    void BuildParts(std::int32_t set);
    // The configured "Font" on the text, its shadow and the choice texts.
    void ApplyConfiguredFont();
    // A new film set: empty page, cursor hidden, window out of view.
    void PutOutOfView();

    void TextSpeedSetting(std::int32_t speed);
    // An empty name takes the default Japanese font.
    void TextFontSetting(const QString& font, std::int32_t value);

    bool TextVisible() const;
    void SetTextVisible(bool visible);
    // Moves a film 5000 pixels away to the right, or back.
    void FilmAvoid(FilmId film, bool visible);

    // Cell row of the state indicator.
    void WindowModeFlip(std::int32_t row);
    // The state row of skip mode, of auto-click mode, or 0.
    void UpdateWindowMode();
    // Cell row of the name plate.
    void WindowNameFlip(std::int32_t cell);
    std::int32_t NameFlip() const { return mNameFlip; }

    // Empties the page.
    void TextPageTurn();
    // Appends the code string to the page, revealed at the text speed with wait.
    void TextStart(const QString& text, bool withWait);
    // The page so far, each line feed written as the two characters "\n".
    QString CurrentText() const { return mCurrentText; }

    bool CursorVisible() const;
    void SetCursorVisible(bool visible);

    // The window's films (-1 while absent).
    FilmId TextFilm() const;
    FilmId ShadowFilm() const;
    FilmId FrameFilm() const;
    FilmId StateFilm() const;
    FilmId NamePlateFilm() const;
    FilmId FaceFilm() const;
    const std::vector<FilmId>& ButtonFilms() const;

    // A scenario message as a text code string (see MessageTextConverter).
    QString ConvertMessageText(const QString& message, QString& continuation, bool& wait,
                               QString& voice, int mode);

    // The shadow's copy of a code string: every colour code turned black.
    static QString ShadowCodes(const QString& text);

private:
    bool HasWindow() const;
    bool IsWindowMode() const;
    QString ConfigValue(const QString& key) const;
    bool ConfigBool(const QString& key) const;
    std::int32_t ConfigNumber(const QString& key) const;
    QString LayoutValue(const QString& key) const;

    FilmId AddPartFilm();
    bool ReadSpec(const QString& key, ItemSpec& spec) const;
    FilmId BuildPart(const QString& key);
    void Stack(FilmId film, KestLibrary::FilmProp where, FilmId sibling);
    void BuildCursor();
    void BuildBack(std::int32_t set);
    void BuildFace();
    void BuildButtons();
    void AvoidWindowFilms(bool visible);
    void AnimateCursor(bool run);
    static qsizetype CodeLength(const QString& text, qsizetype at);
    static bool IsHexDigit(QChar ch);

    clsKestDriver& mDriver;
    KestLibrary& mKest;
    Hooks mHooks;
    QString mCurrentText;
    bool mTextVisible = false;
    bool mCursorVisible = false;
    std::int32_t mNameFlip = 0;
    std::int32_t mCursorInterval = 0;
};
