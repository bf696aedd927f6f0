#pragma once

// KestLibrary: the screen compositor (films and actions). Operations keep the
// library's names; every numeric code is a named constant below.
//
// Usage in short
// --------------
// - Start: KestLibrary(clock) with the process Clock (tests: VirtualClock),
//   SetKestSetting(FrameRate, 30), InitializeKest(). Shutdown: TerminateKest().
// - Films: AddFilm(kind) returns the id at once (detached, not shown). SetFilmProp,
//   CallFilmMethod, RemoveFilm(Children), SetActProp and CallActMethod are queued and take
//   effect in call order when the queue is applied: by ExeQueue, by WaitBlt, Redraw and
//   Blt, before any Get...Prop, Surface or BitBltMask, and at the latest by the next frame.
//   Reads therefore see everything set before them. RemoveAction acts at once.
// - Values: a point or size is QPoint/QSize, a colour or id a qint32, a text a QString, a
//   surface a KestDc. Each FilmProp has one value type (noted at its constant); a call with
//   another type, on an unknown film, or of a text property on a non-text film returns false
//   and writes a log line.
// - Tree: Parent attaches on top of the siblings; Above/Beneath restack next to a sibling.
//   Position is relative to the parent. Group and root films draw their own picture, then
//   their children clipped to their Size; a group with Opacity < 256 is composed first and
//   laid over at that opacity.
// - Pictures: SurfaceSize (reallocated, transparent) and Size (the shown cell; CellWidth and
//   CellHeight are its two halves), ExeQueue, GetFilmProp(film, PictureSurface, dc),
//   Surface(dc) gives the QImage (ARGB32 premultiplied) to draw into, then
//   CallFilmMethod(film, PictureWritten). Masks are Grayscale8 surface-sized, white opaque:
//   BitBltMask(MaskSurface dc, ...) from a grey picture (QuarnDecoder::alphaMask for a PNG's
//   alpha, with QuarnDecoder::colours drawn into the picture), or FillMask(255). With a mask
//   the picture's colour counts and the mask replaces its alpha; Opacity (0..256) multiplies.
//   CellColumn/CellRow pick the cell; NextCellColumn/NextCellRow wrap; NaturalSize shows the
//   whole surface; Tint multiplies the picture by a colour (character blend colour);
//   CopyScreen (on the root, argument FIDBack) puts the screen as it stands into a film.
// - Screen: PresentedFrame() is what the screen shows (the root's size); the FramePresented
//   callback and PresentedCount() tell when it changed. Nothing is composed while nothing
//   visible changes. SetKestProp(ScreenUpdates, 0) freezes the shown frame (the frozen
//   frame), 1 resumes. Frames come by themselves from clock timers while anything changes
//   (SetAutoFrames(false) and NextWake() let an owner drive them). The root's PictureSurface
//   is the presented frame (save thumbnails); DeviceContext takes an outside QImage that Blt
//   and every presented frame are assigned to.
// - Freeze and release bookkeeping: TakeScreen on film A with argument B makes A the film
//   drawn as the screen in B's place (FIDBuff detached while released); the root can always
//   take it back. ChildrenChanged only asks for a redraw.
// - Transitions: the root's RedrawFunction (a GetRedrawFuncs value; 0 plain) with levels:
//   Level (fade): root Level and NeutralLevel 128, move root Level to 0 (black) or 256 (white);
//   CrossFade: root Level 256 shows the frozen frame, 0 the live scene;
//   Rule: set on the root; the rule is the GroupMaskSurface (size GroupMaskSize, stretched to
//   the screen) of the top-most child of the root that has one (FIDBuff), with its VagueWidth
//   (30) and Level: 256 + VagueWidth shows the frozen frame, 0 the live scene; darker rule
//   pixels change first.
// - Actions: AddAction, CallActMethod(Clear), Append each token word (Tok), SetActProp(Target,
//   film), SetActProp(TimeScale, thousandths), Start. Tokens run one after another against
//   the clock. GetActProp(State) brings actions up to now and gives Running or Ended (a new,
//   stopped or finished action reads Ended); it returns 0, any other result means no such
//   action. Finish runs the rest at once; a list without waits runs at most
//   kMaxTokensPerUpdate tokens per update (and is logged once).
// - Text films: need a Size (their drawing area). TextAppend the code string (see
//   FilmProp::TextAppend), TextShown := TextLength shows it at once, or run an action with
//   Tok::RevealText (shows the page at TextSpeed ms per character). ClearText empties it.
//   TextFont takes Windows names ("ＭＳ ゴシック" and so on), TextLineTop places a cursor.
// - Colours: FillPicture and Tint take 0x00BBGGRR (the screen's order); TextColor and the text
//   code "D" take 0xRRGGBB.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/kest/KestActionTarget.h"
#include "platform/kest/KestDc.h"

class Clock;
class KestAction;
class KestCompositor;
class KestFilm;
class KestTextPage;

class KestLibrary : private KestActionTarget {
public:
    using FilmId = qint32;
    using ActionId = qint32;
    static constexpr FilmId kNoFilm = -1;
    static constexpr ActionId kNoAction = -1;

    // Library settings, set before InitializeKest.
    enum class KestSetting : qint32 {
        FrameRate = 0x20006,  // frames per second while something moves (default 30)
    };

    enum class KestProp : qint32 {
        ScreenUpdates = 9,  // 0: the screen keeps the frozen frame; 1: it follows the scene
    };

    enum class FilmKind : qint32 {
        Group = 0x10070002,    // composes its children (clipped to its size when sized)
        Root = 0x10070003,     // the screen: its size is the frame size
        Picture = 0x10070042,  // shows one cell of its picture surface
        Text = 0x10070052,     // shows its page of text
    };

    // Film properties with their value type. Positions are relative to the parent.
    enum class FilmProp : qint32 {
        Parent = 0x10000001,            // int film id; -1 detaches; a new child goes on top
        DeviceContext = 0x10000002,     // KestDc (Image) of the root: gets Blt and each frame
        Position = 0x10000003,          // QPoint
        X = 0x10000004,                 // int
        Y = 0x10000005,                 // int
        Size = 0x10000006,              // QSize: size on screen = size of one picture cell
        CellWidth = 0x10000007,         // int: width of Size alone
        CellHeight = 0x10000008,        // int: height of Size alone
        Beneath = 0x1000000a,           // int film id: drawn directly beneath that sibling
        Above = 0x1000000b,             // int film id: drawn directly above that sibling
        PictureSurface = 0x10001001,    // KestDc (read); of the root: the presented frame
        SurfaceOrigin = 0x10001003,     // QPoint: top left of cell (0, 0) in the surface
        SurfaceSize = 0x10001006,       // QSize: reallocates the surface, transparent
        SurfaceHandle = 0x10001010,     // KestDc (read): the same surface as PictureSurface
        MaskSurface = 0x10001100,       // KestDc (read): mask of the picture, surface-sized
        GroupMaskSurface = 0x10002001,  // KestDc (read): transition rule of a group film
        GroupMaskSize = 0x10002006,     // QSize: size of the rule (stretched to the film)
        // Text films. The page is a code string: characters, line feeds, and codes of a
        // capital letter with upper-case hex digits: "B"+8 pause in ms before the next
        // character, "D"+6 colour RRGGBB, "F"+3 character size, "G"+3 character width
        // (advance of a full-width character; half-width ones take half), "H"+3 line height,
        // "I"/"J" sign+3 pen x / line top, "K"/"L" sign+3 offsets added to them. Lines wrap
        // at the film's width.
        TextAppend = 0x10004000,      // QString (write): appended to the page
        TextLength = 0x10004001,      // int (read): characters on the page
        TextShown = 0x10004002,       // int: characters shown
        TextFont = 0x10004003,        // QString: face name; Windows names map to IPA fonts
        TextSize = 0x10004004,        // int: character size in pixels (default 24)
        TextWidth = 0x10004005,       // int: character width (default 24)
        TextLineHeight = 0x10004006,  // int: line height (default 30)
        TextColor = 0x10004007,       // int RRGGBB: colour at the page start (default white)
        TextSpeed = 0x10004008,       // int: milliseconds per revealed character (default 40)
        TextLineTop = 0x1000400a,     // int (read): top of the current line, parent's coordinates
        Opacity = 0x10005000,         // int 0..256; multiplies with the mask
        VagueWidth = 0x10005007,      // int: soft edge of the rule transition, in levels
        Level = 0x10005010,           // int: transition level (see RedrawFunc)
        NeutralLevel = 0x10005011,    // int: level that shows the picture unchanged (128)
        RedrawFunction = 0x10009000,  // int: value from GetRedrawFuncs; 0 = plain drawing
        CellColumn = 0x1000c001,      // int: picture cell column shown
        CellRow = 0x1000c002,         // int: picture cell row shown
    };

    enum class FilmMethod : qint32 {
        ChildrenChanged = 0x11000002,  // bookkeeping: the films below changed; redraw
        ClearText = 0x11000004,        // empties the text page
        CopyScreen = 0x11000007,       // argument film's picture := the screen as it stands
        TakeScreen = 0x11000012,       // the film is drawn as the screen in the argument's place
        FillMask = 0x11000014,         // mask := constant opacity 0..255 (argument)
        PictureWritten = 0x11000015,   // surface or mask written; show the new picture
        FillPicture = 0x11000020,      // picture := colour 0x00BBGGRR (argument), opaque
        NaturalSize = 0x11000025,      // Size := SurfaceSize, cell (0, 0)
        NextCellColumn = 0x11000030,   // next cell column, back to 0 after the last
        NextCellRow = 0x11000031,      // next cell row, back to 0 after the last
        Tint = 0x11000040,             // multiplies the picture by colour 0x00BBGGRR (argument)
    };

    // How the root film is drawn (the value of FilmProp::RedrawFunction).
    enum class RedrawFunc : qint32 {
        Plain = 0,
        CrossFade = 0x12000005,  // frozen frame at Level/256 over the live scene
        Level = 0x12000006,      // toward black below NeutralLevel, toward white above it
        Rule = 0x12000010,       // frozen frame replaced through the rule mask (see header note)
    };

    enum class ActProp : qint32 {
        Position = 0x20000001,   // int: index of the next token; 0 rewinds
        Target = 0x20000004,     // int film id
        TimeScale = 0x20000005,  // int: every time in the list lasts time * scale / 1000 ms
        State = 0x20000008,      // int (read): ActState
    };

    enum class ActMethod : qint32 {
        Start = 0x21000001,   // runs the list from Position
        Finish = 0x21000003,  // runs the rest at once: moves reach their ends, waits vanish
        Stop = 0x21000005,    // stops where it is; Position returns to 0
        Clear = 0x21000010,   // stops and empties the list
        Append = 0x21000011,  // appends the argument as one token word
    };

    enum class ActState : qint32 {
        Ended = 0x20010000,
        Running = 0x20010001,
    };

    // Token words of an action list, each followed by its arguments.
    struct Tok {
        static constexpr qint32 MoveValue = 0x20021000;     // property, value, ms
        static constexpr qint32 MovePoint = 0x20021001;     // property, x, y, ms
        static constexpr qint32 CallMethod = 0x20022010;    // film method, argument
        static constexpr qint32 NextCellRows = 0x20022002;  // n: cell row += n, wrapping
        static constexpr qint32 RevealText = 0x20022008;    // reveals the target's text
        static constexpr qint32 Wait = 0x20020001;          // ms
        static constexpr qint32 Repeat = 0x20020003;        // back to the first token
        static constexpr qint32 End = 0x20020004;           // the action ends
    };

    // Limits against damaged data.
    static constexpr int kMaxSurfaceSide = 16384;
    static constexpr qint64 kMaxSurfacePixels = 16LL * 1024 * 1024;
    static constexpr int kMaxTokensPerUpdate = 4096;  // per action and update
    static constexpr int kMaxTokensPerAction = 1 << 20;

    // `log` receives one line per problem; none are written without it.
    explicit KestLibrary(Clock& clock, std::function<void(const QString&)> log = {});
    ~KestLibrary() override;
    KestLibrary(const KestLibrary&) = delete;
    KestLibrary& operator=(const KestLibrary&) = delete;

    bool SetKestSetting(KestSetting setting, qint32 value);
    bool InitializeKest();
    // Drops every film, action and queued command; frames stop.
    void TerminateKest();
    bool SetKestProp(KestProp prop, qint32 value);

    // A new film, or kNoFilm when the library is not initialised.
    FilmId AddFilm(FilmKind kind);
    // The film and all films below it.
    void RemoveFilm(FilmId film);
    void RemoveFilmChildren(FilmId film);

    bool SetFilmProp(FilmId film, FilmProp prop, qint32 value);
    bool SetFilmProp(FilmId film, FilmProp prop, QPoint value);
    bool SetFilmProp(FilmId film, FilmProp prop, QSize value);
    bool SetFilmProp(FilmId film, FilmProp prop, const QString& value);
    bool SetFilmProp(FilmId film, FilmProp prop, const KestDc& value);
    bool GetFilmProp(FilmId film, FilmProp prop, qint32& value);
    bool GetFilmProp(FilmId film, FilmProp prop, QPoint& value);
    bool GetFilmProp(FilmId film, FilmProp prop, QSize& value);
    bool GetFilmProp(FilmId film, FilmProp prop, QString& value);
    bool GetFilmProp(FilmId film, FilmProp prop, KestDc& value);

    bool CallFilmMethod(FilmId film, FilmMethod method, qint32 argument = 0);
    // The value to store into FilmProp::RedrawFunction.
    qint32 GetRedrawFuncs(RedrawFunc function) const;

    ActionId AddAction();
    void RemoveAction(ActionId action);
    bool SetActProp(ActionId action, ActProp prop, qint32 value);
    // 0 on success; 1 for an unknown action or property.
    qint32 GetActProp(ActionId action, ActProp prop, qint32& value);
    bool CallActMethod(ActionId action, ActMethod method, qint32 argument = 0);

    // Applies every queued command.
    void ExeQueue();
    // Applies the queue, brings actions up to now and presents the scene if it changed.
    void WaitBlt();
    // Draws the root onto its device context (FilmProp::DeviceContext), composing first when
    // updates run and something changed.
    bool Blt(FilmId root);
    // Copies the source's grey levels (Grayscale8 or Alpha8 bytes, else the grey of the
    // colour) into a Mask or GroupMask surface at (x, y), clipped on both sides.
    bool BitBltMask(const KestDc& destination, int x, int y, int width, int height,
                    const QImage& source, int sourceX, int sourceY);

    // Beyond the original interface.

    // Pixels of a device context, or null. A film's picture counts as written: the next
    // frame shows what is drawn into it now.
    QImage* Surface(const KestDc& dc);
    // The frame the screen shows, ARGB32 premultiplied, the root's size. Read it when
    // painting; keeping a copy makes the next frame allocate.
    const QImage& PresentedFrame() const;
    // Counts presented frames.
    quint64 PresentedCount() const;
    // Called after each presented frame.
    void SetFramePresented(std::function<void()> callback);
    // Applies the queue, runs the actions up to now and presents a new frame when something
    // visible changed and updates run. True when a frame was presented.
    bool Redraw();
    // When the library next needs a Redraw (an action step or the next frame), if ever.
    std::optional<qint64> NextWake() const;
    // With auto frames (the default) the library calls Redraw from clock timers while
    // something changes; without, the owner calls it.
    void SetAutoFrames(bool on);
    int PendingCommands() const;

private:
    struct Command;
    enum class ValueType { Int, Point, Size, Text, Dc };

    // KestActionTarget: what running actions do to films, at once.
    bool ReadIntProp(qint32 film, qint32 prop, qint32& value) override;
    bool WriteIntProp(qint32 film, qint32 prop, qint32 value) override;
    bool ReadPointProp(qint32 film, qint32 prop, QPoint& value) override;
    bool WritePointProp(qint32 film, qint32 prop, QPoint value) override;
    bool RunFilmMethod(qint32 film, qint32 method, qint32 argument) override;
    bool AdvanceCellRows(qint32 film, qint32 rows) override;
    TextProgress RevealText(qint32 film, qint64 budgetMs, qint32 scale) override;
    void ReportAction(const QString& line) override;

    bool acceptsFilmProp(FilmId film, FilmProp prop, ValueType type, bool write);
    bool enqueue(Command&& command);
    void applyQueue();
    void apply(const Command& command);
    void applyIntProp(KestFilm& film, FilmProp prop, qint32 value);
    void applyPointProp(KestFilm& film, FilmProp prop, QPoint value);
    void applySizeProp(KestFilm& film, FilmProp prop, QSize value);
    void applyTextProp(KestFilm& film, FilmProp prop, const QString& value);
    void applyTextInt(KestTextPage& page, FilmProp prop, qint32 value);
    void applyDcProp(KestFilm& film, FilmProp prop, const KestDc& value);
    void applyMethod(KestFilm& film, FilmMethod method, qint32 argument);
    void applyActProp(KestAction& action, ActProp prop, qint32 value);
    void applyActMethod(KestAction& action, ActMethod method, qint32 argument);
    bool readInt(KestFilm& film, FilmProp prop, qint32& value);
    bool readPoint(const KestFilm& film, FilmProp prop, QPoint& value) const;
    bool readSize(const KestFilm& film, FilmProp prop, QSize& value) const;
    template <typename Change>
    void changeGeometry(KestFilm& film, Change change);
    void setParent(KestFilm& film, FilmId parent);
    void stackNextTo(KestFilm& film, FilmId reference, bool above);
    bool isAncestorOf(const KestFilm& film, FilmId descendant) const;
    void detach(KestFilm& film);
    void removeTree(FilmId id);
    void copyScreenInto(KestFilm& film);
    void takeScreen(KestFilm& film, FilmId replaced);
    bool acceptableSize(QSize size, FilmId film, const char* what) const;
    void setRootSize(QSize size);
    void writeMask(QImage& mask, QRect area, const QImage& source, QPoint sourceAt);

    KestFilm* film(FilmId id);
    const KestFilm* film(FilmId id) const;
    KestAction* action(ActionId id);
    FilmId screenFilm() const;
    const KestFilm* ruleFilm() const;
    bool isOnScreen(const KestFilm& film) const;
    void touch(const KestFilm& film);
    void markDirty();

    void runActions();
    bool compose();
    void present();
    void scheduleFrame();
    int frameIntervalMs() const;
    void log(const QString& line) const;

    Clock& clock_;
    std::function<void(const QString&)> log_;
    std::function<void()> framePresented_;
    std::unique_ptr<KestCompositor> compositor_;
    std::unordered_map<FilmId, std::unique_ptr<KestFilm>> films_;
    std::map<ActionId, std::unique_ptr<KestAction>> actions_;
    std::vector<Command> queue_;
    FilmId nextFilm_ = 1;
    ActionId nextAction_ = 1;
    FilmId root_ = kNoFilm;
    FilmId screen_ = kNoFilm;
    KestDc rootDc_;
    bool initialized_ = false;
    bool updates_ = true;
    bool dirty_ = false;
    bool autoFrames_ = true;
    bool redrawing_ = false;
    int frameRate_ = 30;
    int timer_ = 0;
    qint64 timerDue_ = 0;
    qint64 lastFrameAt_ = -1;
    quint64 presentedCount_ = 0;
};
