#include "screen/clsGameView.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <limits>
#include <optional>

#include "base/AppState.h"
#include "base/LauncherServices.h"
#include "data/Configuration.h"
#include "data/INIFile.h"
#include "data/INISection.h"
#include "data/clsSaveData.h"
#include "media/clsDovDriver.h"
#include "platform/os/FileIo.h"
#include "platform/os/GameFolder.h"
#include "platform/os/MsgBox.h"
#include "scenario/Script.h"
#include "scenario/clsInterpreter.h"
#include "screen/GameViewHost.h"
#include "screen/clsKestDriver.h"
#include "screen/frmScreen.h"
#include "screen/picScreen.h"

namespace {

struct MenuGroup {
    const char* name;
    const char* caption;
    const char* words;  // items in order; an empty word is a separator
};

constexpr std::array<MenuGroup, 5> kMenuGroups{{
    {"file", "ファイル", "saveload,qsave,qload,,title,exit"},
    {"screen", "画面", "window,full"},
    {"property", "設定", "system,screen,sound,char"},
    {"message", "メッセージ", "skip,auto,,fast,semifast,normal,semislow,slow,,log"},
    {"help", "ヘルプ", "version"},
}};

struct MenuItemText {
    const char* tag;
    const char* caption;
    bool checkable;
};

constexpr std::array<MenuItemText, 20> kMenuItems{{
    {"file!saveload", "セーブ・ロード", false},
    {"file!qsave", "クイックセーブ", false},
    {"file!qload", "クイックロード", false},
    {"file!title", "タイトルにもどる", false},
    {"file!exit", "終了", false},
    {"screen!window", "ウィンドウ表示", true},
    {"screen!full", "全画面表示", true},
    {"property!system", "システム", false},
    {"property!screen", "表示", false},
    {"property!sound", "サウンド", false},
    {"property!char", "人物", false},
    {"message!skip", "スキップ", true},
    {"message!auto", "オートクリック", true},
    {"message!fast", "速い", true},
    {"message!semifast", "やや速い", true},
    {"message!normal", "通常", true},
    {"message!semislow", "やや遅い", true},
    {"message!slow", "遅い", true},
    {"message!log", "ログ", false},
    {"help!version", "バージョン情報", false},
}};

// The text speeds 0 .. 4, in menu order.
constexpr std::array<const char*, 5> kSpeedItems{"fast", "semifast", "normal", "semislow", "slow"};

// The items games switch on and off for the situation, in status order.
constexpr std::array<const char*, 7> kGameItems{"file!saveload", "file!qsave",   "file!qload",
                                                "file!title",    "message!skip", "message!auto",
                                                "message!log"};

constexpr int kSaveLoadFromGame = 13;

const MenuItemText* FindItemText(const QString& tag) {
    for (const MenuItemText& text : kMenuItems) {
        if (tag == QString::fromUtf8(text.tag)) {
            return &text;
        }
    }
    return nullptr;
}

bool IsEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The hot spot of a Windows cursor file (.cur), or the top left corner.
QPoint CursorHotSpot(const QByteArray& bytes) {
    constexpr int kHeader = 6;
    constexpr int kEntryHotX = kHeader + 4;
    constexpr quint16 kCursorType = 2;
    if (bytes.size() < kEntryHotX + 4) {
        return QPoint(0, 0);
    }
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    if (qFromLittleEndian<quint16>(data) != 0 ||
        qFromLittleEndian<quint16>(data + 2) != kCursorType) {
        return QPoint(0, 0);
    }
    return QPoint(qFromLittleEndian<quint16>(data + kEntryHotX),
                  qFromLittleEndian<quint16>(data + kEntryHotX + 2));
}

// The top left corner that keeps a window of that size on the desktop.
QPoint KeptInside(QPoint topLeft, QSize size, const QRect& desktop) {
    const int x = std::min(topLeft.x(), desktop.right() + 1 - size.width());
    const int y = std::min(topLeft.y(), desktop.bottom() + 1 - size.height());
    return QPoint(std::max(desktop.left(), x), std::max(desktop.top(), y));
}

std::optional<QPoint> ParsePosition(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 2) {
        return std::nullopt;
    }
    bool okX = false;
    bool okY = false;
    const int x = parts[0].trimmed().toInt(&okX);
    const int y = parts[1].trimmed().toInt(&okY);
    if (!okX || !okY) {
        return std::nullopt;
    }
    return QPoint(x, y);
}

}  // namespace

struct clsGameView::Impl {
    QSize screenSize;
    std::unique_ptr<frmScreen> form;
    picScreen* pic = nullptr;
    clsKestDriver* kest = nullptr;
    clsEventRects rects;
    RectPtr selected;
    std::optional<QPoint> lastPointer;
    int lastKey = 0;
    bool ctrlDown = false;
    bool tabDown = false;
    std::int32_t screenMode = kScreenClosed;
    bool eventEnabled = false;
    bool deactivateSense = false;
    bool autoClick = false;
    std::int32_t textSpeed = kTextSpeedNormal;
    bool formActivity = false;
    QString siteName;
    QString mouseIcon;
    // The window's place in window mode; none centres it.
    std::optional<QPoint> windowPos;
    std::map<int, ScreenCmdHandler> listeners;
    int nextListener = 1;
    std::map<QString, QAction*> items;
    std::function<std::int32_t()> waitModeSource;
    GameViewHost* host = nullptr;
};

clsGameView::clsGameView(QSize screenSize) : d(std::make_unique<Impl>()) {
    d->screenSize = screenSize;
    d->form = std::make_unique<frmScreen>(*this);
    d->pic = d->form->Picture();
    d->form->SetGameSize(screenSize);
    BuildMenu();
    UpdateScreenChecks();
    SetTextSpeed(kTextSpeedNormal);
    UpdateCaption();
}

clsGameView::~clsGameView() {
    // The screen driver may already be gone: its callback only holds a guarded pointer.
    d->deactivateSense = false;
    d->form.reset();
    App().PutLog(QStringLiteral("GameView-Terminate"));
}

// ---------------------------------------------------------------------------
// Screen and form

void clsGameView::AttachScreen(clsKestDriver* kest) {
    if (d->kest != nullptr) {
        d->kest->Library().SetFramePresented({});
    }
    d->kest = kest;
    d->pic->SetFrameSource(kest != nullptr ? &kest->Library() : nullptr);
    if (kest != nullptr) {
        kest->Library().SetFramePresented([pic = QPointer<picScreen>(d->pic)] {
            if (pic != nullptr) {
                pic->FramePresented();
            }
        });
    }
}

void clsGameView::SetScreenSize(QSize screenSize) {
    d->screenSize = screenSize;
    d->form->SetGameSize(screenSize);
}

QSize clsGameView::ScreenSize() const {
    return d->screenSize;
}

QWidget* clsGameView::Form() {
    return d->form.get();
}

QWidget* clsGameView::pic() {
    return d->pic;
}

bool clsGameView::Visible() const {
    return d->form->isVisible();
}

void clsGameView::SetVisible(bool visible) {
    d->form->setVisible(visible);
}

void clsGameView::SetPictureColor(std::int32_t rgb) {
    d->pic->SetPictureColor(QColor::fromRgb(0xFF000000u | (static_cast<QRgb>(rgb) & 0xFFFFFFu)));
}

void clsGameView::ShowMovieFrame(const QImage& frame) {
    d->pic->SetMovieFrame(frame);
}

QImage clsGameView::CurrentScreen() const {
    if (const QImage* frame = d->pic->Frame()) {
        return frame->convertToFormat(QImage::Format_ARGB32);
    }
    QImage blank(d->screenSize, QImage::Format_ARGB32);
    blank.fill(d->pic->PictureColor());
    return blank;
}

QString clsGameView::MouseIcon() const {
    return d->mouseIcon;
}

void clsGameView::SetMouseIcon(const QString& file) {
    d->mouseIcon = file;
    d->pic->unsetCursor();
    if (file.isEmpty()) {
        return;
    }
    QString why;
    const std::optional<QString> path = GameFolder(App().AppDir).find(file, &why);
    const std::optional<QByteArray> bytes = path ? FileIo::readAll(*path) : std::nullopt;
    if (!bytes) {
        App().PutLog(QStringLiteral("GameView mouse cursor not found '") + file +
                     QStringLiteral("' ") + why);
        return;
    }
    QPixmap picture;
    if (!picture.loadFromData(*bytes)) {
        App().PutLog(QStringLiteral("GameView mouse cursor unreadable '") + file +
                     QStringLiteral("'"));
        return;
    }
    const QPoint hotSpot = CursorHotSpot(*bytes);
    d->pic->setCursor(QCursor(picture, hotSpot.x(), hotSpot.y()));
}

QString clsGameView::SiteName() const {
    return d->siteName;
}

void clsGameView::SetSiteName(const QString& name) {
    d->siteName = name;
    UpdateCaption();
}

void clsGameView::UpdateCaption() {
    const LauncherServices* launcher = App().Launcher;
    QString caption = launcher != nullptr ? launcher->Title() : QString();
    if (!d->siteName.isEmpty()) {
        caption += QStringLiteral("　「") + d->siteName + QStringLiteral("」");
    }
    GameViewHost* varo = d->host;
    if (launcher != nullptr && launcher->IsDebugMode() && varo != nullptr &&
        varo->Intprt().CurrentScript() != nullptr) {
        caption +=
            QStringLiteral("（") + varo->Intprt().CurrentScript()->Name() + QStringLiteral("）");
    }
    d->form->setWindowTitle(caption);
}

std::int32_t clsGameView::ScreenMode() const {
    return d->screenMode;
}

void clsGameView::SetScreenMode(std::int32_t mode) {
    if (mode != kScreenFull && mode != kScreenWindow && mode != kScreenClosed) {
        if (onScreenError) {
            onScreenError(QStringLiteral("不正なスクリーンモード指定"));
        }
        return;
    }
    if (mode == d->screenMode) {
        return;
    }
    if (d->screenMode == kScreenWindow) {
        d->windowPos = d->form->pos();
    }
    d->screenMode = mode;
    if (mode == kScreenFull) {
        d->form->ShowFullScreenMode();
    } else if (mode == kScreenWindow) {
        d->form->ShowWindowMode(d->screenSize);
        ApplyWindowPos();
    } else {
        d->form->hide();
    }
    UpdateScreenChecks();
    UpdateCaption();
    d->pic->update();
    FormActivityChanged();
    if (onScreenModeChanged) {
        onScreenModeChanged();
    }
}

QString clsGameView::WndPos() const {
    std::optional<QPoint> position = d->windowPos;
    if (d->screenMode == kScreenWindow) {
        position = d->form->pos();
    }
    if (!position) {
        return QString();
    }
    return QStringLiteral("%1,%2").arg(position->x()).arg(position->y());
}

void clsGameView::SetWndPos(const QString& position) {
    d->windowPos = ParsePosition(position);
    if (d->screenMode == kScreenWindow) {
        ApplyWindowPos();
    }
}

// Moves the window to the remembered place, kept on the desktop, or centres it.
void clsGameView::ApplyWindowPos() {
    const QSize outer = d->form->frameGeometry().size();
    QScreen* screen = d->windowPos ? QGuiApplication::screenAt(*d->windowPos) : nullptr;
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    const QRect desktop =
        d->windowPos ? screen->availableVirtualGeometry() : screen->availableGeometry();
    const QPoint centred(desktop.left() + (desktop.width() - outer.width()) / 2,
                         desktop.top() + (desktop.height() - outer.height()) / 2);
    d->form->move(KeptInside(d->windowPos.value_or(centred), outer, desktop));
}

// ---------------------------------------------------------------------------
// Event rectangles and ScreenCmd

clsEventRects& clsGameView::EvRects() {
    return d->rects;
}

clsGameView::RectPtr clsGameView::SelectedRect() const {
    return d->selected;
}

void clsGameView::SelectionClear() {
    d->selected.reset();
}

void clsGameView::ForceMouseMove() {
    if (d->lastPointer) {
        MouseMove(*d->lastPointer);
    }
}

void clsGameView::RaiseScreenCmd(std::int32_t code, const RectPtr& rect) {
    const std::int32_t mode = d->host != nullptr ? d->host->VaroMode() : 0;
    // Handlers may subscribe or unsubscribe while the command is handled.
    std::vector<int> ids;
    ids.reserve(d->listeners.size());
    for (const auto& [id, handler] : d->listeners) {
        ids.push_back(id);
    }
    for (int id : ids) {
        const auto found = d->listeners.find(id);
        if (found == d->listeners.end()) {
            continue;
        }
        const ScreenCmdHandler handler = found->second;
        handler(mode, code, rect);
    }
}

int clsGameView::AddScreenCmdListener(ScreenCmdHandler handler) {
    const int id = d->nextListener++;
    d->listeners.emplace(id, std::move(handler));
    return id;
}

void clsGameView::RemoveScreenCmdListener(int id) {
    d->listeners.erase(id);
}

// ---------------------------------------------------------------------------
// Input

void clsGameView::MouseDown(Qt::MouseButton button, QPoint gamePos) {
    EndSkipOnInput();
    d->lastPointer = gamePos;
    if (!d->eventEnabled) {
        return;
    }
    std::int32_t bit = 0;
    std::int32_t code = 0;
    if (button == Qt::LeftButton) {
        bit = clsEventRect::LeftClickBit;
        code = kCmdPrimary;
    } else if (button == Qt::RightButton) {
        bit = clsEventRect::RightClickBit;
        code = kCmdSecondary;
    } else {
        return;
    }
    RaiseScreenCmd(code, d->rects.HitRect(gamePos.x(), gamePos.y(), bit));
}

void clsGameView::MouseDoubleClick(Qt::MouseButton button, Qt::MouseButtons held, QPoint gamePos) {
    // The double click takes the place of the second press.
    if ((held & button) != 0) {
        MouseDown(button, gamePos);
    } else {
        EndSkipOnInput();
    }
}

void clsGameView::MouseMove(QPoint gamePos) {
    d->lastPointer = gamePos;
    if (!d->eventEnabled) {
        return;
    }
    const RectPtr candidate = d->rects.HitRect(gamePos.x(), gamePos.y(), clsEventRect::PointBit);
    if (candidate == d->selected) {
        return;
    }
    d->selected = candidate;
    RaiseScreenCmd(kCmdPointer, candidate);
}

void clsGameView::Wheel(int delta) {
    if (!App().SubClassMode || !d->eventEnabled || delta == 0) {
        return;
    }
    // Only while the interpreter waits for a click, a choice or a button.
    const std::int32_t waitMode = InterpreterWaitMode();
    if (waitMode < clsInterpreter::kClickWait || waitMode > clsInterpreter::kButtonWait) {
        return;
    }
    RaiseScreenCmd(delta > 0 ? kCmdWheelForward : kCmdWheelBackward, nullptr);
}

void clsGameView::KeyDown(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat) {
    EndSkipOnInput();
    const bool isCtrl = key == Qt::Key_Control;
    if (isCtrl) {
        d->ctrlDown = true;
    }
    if (key == Qt::Key_Tab) {
        d->tabDown = true;
    }
    if (!d->eventEnabled) {
        return;
    }
    // A held key counts once until it is released; Ctrl counts on every press.
    if (!isCtrl && (autoRepeat || key == d->lastKey)) {
        return;
    }
    d->lastKey = key;
    if (isCtrl) {
        RaiseScreenCmd(kCmdPrimary, nullptr);
    } else if (IsEnterKey(key) || key == Qt::Key_Space) {
        PressEnter(modifiers, key == Qt::Key_Space);
    } else if (key == Qt::Key_Escape) {
        RaiseScreenCmd(kCmdSecondary, nullptr);
    } else if (key == Qt::Key_Up || key == Qt::Key_Down) {
        MoveSelectionByKey(key == Qt::Key_Down);
    }
}

void clsGameView::KeyUp(int key, bool autoRepeat) {
    if (autoRepeat) {
        return;
    }
    if (key == Qt::Key_Control) {
        d->ctrlDown = false;
    }
    if (key == Qt::Key_Tab) {
        d->tabDown = false;
    }
    d->lastKey = 0;
}

void clsGameView::PressEnter(Qt::KeyboardModifiers modifiers, bool isSpace) {
    if (!isSpace && (modifiers & Qt::AltModifier) != 0) {
        ToggleFullScreen();
        return;
    }
    if (d->selected != nullptr && d->selected->KB == clsEventRect::NoKey) {
        return;
    }
    RaiseScreenCmd(kCmdPrimary, d->selected);
}

void clsGameView::ToggleFullScreen() {
    if (d->screenMode == kScreenFull) {
        SetScreenMode(kScreenWindow);
    } else if (d->screenMode == kScreenWindow && App().FullScreenAvailable) {
        SetScreenMode(kScreenFull);
    }
}

void clsGameView::MoveSelectionByKey(bool greater) {
    std::int32_t from = greater ? -1 : std::numeric_limits<std::int32_t>::max();
    if (d->selected != nullptr && d->selected->KB != clsEventRect::NoKey) {
        from = d->selected->KB;
    }
    const RectPtr next = d->rects.NearestByKB(from, greater);
    if (next == nullptr || next == d->selected) {
        return;
    }
    d->selected = next;
    RaiseScreenCmd(kCmdPointer, next);
}

void clsGameView::EndSkipOnInput() {
    GameViewHost* varo = d->host;
    if (varo == nullptr || !varo->IsSkipMode()) {
        return;
    }
    const std::int32_t waitMode = InterpreterWaitMode();
    if (waitMode == 0 || waitMode == 1) {
        varo->SetSkipMode(false);
    }
}

void clsGameView::SetWaitModeSource(std::function<std::int32_t()> source) {
    d->waitModeSource = std::move(source);
}

void clsGameView::SetHost(GameViewHost* host) {
    d->host = host;
}

GameViewHost* clsGameView::Host() const {
    return d->host;
}

std::int32_t clsGameView::InterpreterWaitMode() const {
    if (d->waitModeSource) {
        return d->waitModeSource();
    }
    GameViewHost* varo = d->host;
    return varo != nullptr ? varo->Intprt().WaitMode() : 0;
}

bool clsGameView::EventEnabled() const {
    return d->eventEnabled;
}

void clsGameView::SetEventEnabled(bool enabled) {
    if (enabled) {
        // Input that waited while events were off must not act now.
        if (QCoreApplication::instance() != nullptr) {
            for (QEvent::Type type :
                 {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                  QEvent::MouseMove, QEvent::KeyPress, QEvent::KeyRelease, QEvent::Wheel}) {
                QCoreApplication::removePostedEvents(nullptr, type);
            }
        }
        d->lastKey = 0;
    }
    d->eventEnabled = enabled;
}

bool clsGameView::IsCtrlDown() const {
    return d->ctrlDown;
}

bool clsGameView::IsTabDown() const {
    return d->tabDown;
}

// ---------------------------------------------------------------------------
// Settings shown in the menu

bool clsGameView::AutoClickEnabled() const {
    return d->autoClick;
}

void clsGameView::SetAutoClickEnabled(bool enabled) {
    d->autoClick = enabled;
    SetItemChecked(QStringLiteral("message!auto"), enabled);
}

std::int32_t clsGameView::TextSpeed() const {
    return d->textSpeed;
}

void clsGameView::SetTextSpeed(std::int32_t speed) {
    if (speed < 0 || speed >= static_cast<std::int32_t>(kSpeedItems.size())) {
        speed = kTextSpeedNormal;
    }
    d->textSpeed = speed;
    for (std::size_t index = 0; index < kSpeedItems.size(); ++index) {
        SetItemChecked(QStringLiteral("message!") + QString::fromUtf8(kSpeedItems[index]),
                       static_cast<std::int32_t>(index) == speed);
    }
}

bool clsGameView::IsDeactivateSense() const {
    return d->deactivateSense;
}

void clsGameView::SetDeactivateSense(bool sense) {
    d->deactivateSense = sense;
}

// ---------------------------------------------------------------------------
// Menu

void clsGameView::BuildMenu() {
    for (const MenuGroup& group : kMenuGroups) {
        const QString groupName = QString::fromUtf8(group.name);
        auto* menu = new QMenu(QString::fromUtf8(group.caption), d->form.get());
        for (const QString& word : QString::fromUtf8(group.words).split(QLatin1Char(','))) {
            if (word.isEmpty()) {
                menu->addSeparator();
                continue;
            }
            const QString tag = groupName + QLatin1Char('!') + word;
            const MenuItemText* text = FindItemText(tag);
            QAction* action =
                menu->addAction(text != nullptr ? QString::fromUtf8(text->caption) : word);
            action->setData(tag);
            action->setCheckable(text != nullptr && text->checkable);
            QObject::connect(action, &QAction::triggered, menu, [this, action](bool checked) {
                // The command itself sets the check mark.
                if (action->isCheckable()) {
                    action->setChecked(!checked);
                }
                const QString itemTag = action->data().toString();
                const qsizetype mark = itemTag.indexOf(QLatin1Char('!'));
                MenuCmd(itemTag.left(mark), itemTag.mid(mark + 1));
            });
            d->items.emplace(tag, action);
        }
        d->form->AddMenu(menu);
    }
}

QAction* clsGameView::MenuItem(const QString& tag) const {
    const auto found = d->items.find(tag);
    return found != d->items.end() ? found->second : nullptr;
}

void clsGameView::SetItemChecked(const QString& tag, bool checked) {
    if (QAction* item = MenuItem(tag)) {
        item->setChecked(checked);
    }
}

void clsGameView::UpdateScreenChecks() {
    SetItemChecked(QStringLiteral("screen!window"), d->screenMode == kScreenWindow);
    SetItemChecked(QStringLiteral("screen!full"), d->screenMode == kScreenFull);
}

void clsGameView::MenuEnableByText(const QString& tags) {
    for (const char* tag : kGameItems) {
        MenuItem(QString::fromUtf8(tag))->setEnabled(false);
    }
    for (const QString& tag : tags.split(QLatin1Char(','))) {
        if (QAction* item = MenuItem(tag.trimmed())) {
            item->setEnabled(true);
        }
    }
}

QString clsGameView::SaveMenuStatus() const {
    QStringList words;
    for (const char* tag : kGameItems) {
        words.append(MenuItem(QString::fromUtf8(tag))->isEnabled() ? QStringLiteral("True")
                                                                   : QStringLiteral("False"));
    }
    return words.join(QLatin1Char(','));
}

void clsGameView::LoadMenuStatus(const QString& status) {
    const QStringList words = status.split(QLatin1Char(','));
    for (std::size_t index = 0; index < kGameItems.size(); ++index) {
        if (static_cast<qsizetype>(index) >= words.size()) {
            return;
        }
        const bool enabled = words[static_cast<qsizetype>(index)].trimmed().compare(
                                 QLatin1String("true"), Qt::CaseInsensitive) == 0;
        MenuItem(QString::fromUtf8(kGameItems[index]))->setEnabled(enabled);
    }
}

void clsGameView::MenuCmd(const QString& group, const QString& item) {
    if (group == QLatin1String("file")) {
        FileMenuCmd(item);
    } else if (group == QLatin1String("screen")) {
        ScreenMenuCmd(item);
    } else if (group == QLatin1String("message")) {
        MessageMenuCmd(item);
    } else if (group == QLatin1String("property")) {
        if (onShowSettings) {
            onShowSettings(item);
        }
    } else if (group == QLatin1String("help") && item == QLatin1String("version")) {
        if (onShowAbout) {
            onShowAbout();
        }
    }
}

void clsGameView::FileMenuCmd(const QString& item) {
    GameViewHost* varo = d->host;
    LauncherServices* launcher = App().Launcher;
    if (item == QLatin1String("saveload") && varo != nullptr) {
        INISection& base = varo->GamemodeInfo().KeySection(QStringLiteral("Base"));
        if (base.KeyValue(QStringLiteral("SaveMenuEnabled")).toLower() == QLatin1String("true")) {
            varo->SDMakeData();
            varo->ChangeMode(GameViewHost::kModeSaveLoad, kSaveLoadFromGame);
        } else {
            Ask(base.KeyValue(QStringLiteral("SaveMenuAlarmMessage")), MsgBox::OkOnly);
        }
    } else if (item == QLatin1String("qsave") && varo != nullptr) {
        varo->QuickSave(varo->Cfg().BoolVal(QStringLiteral("QueryQuickSave")));
    } else if (item == QLatin1String("qload") && varo != nullptr) {
        const bool ask = varo->VaroMode() != GameViewHost::kModeTitle &&
                         varo->Cfg().BoolVal(QStringLiteral("QueryQuickLoad"));
        varo->QuickLoad(ask);
    } else if (item == QLatin1String("title")) {
        if (varo != nullptr && varo->Cfg().BoolVal(QStringLiteral("QueryRestartTitle")) &&
            Ask(QStringLiteral("タイトルにもどりますか。"), MsgBox::YesNo) != MsgBox::IdYes) {
            return;
        }
        SetEventEnabled(false);
        if (launcher != nullptr) {
            launcher->RestartTitle();
        }
    } else if (item == QLatin1String("exit")) {
        if (QueryExit() && launcher != nullptr) {
            launcher->CloseVaro();
        }
    }
}

void clsGameView::ScreenMenuCmd(const QString& item) {
    if (item == QLatin1String("window")) {
        SetScreenMode(kScreenWindow);
    } else if (item == QLatin1String("full") && App().FullScreenAvailable) {
        SetScreenMode(kScreenFull);
    }
    UpdateScreenChecks();
}

void clsGameView::MessageMenuCmd(const QString& item) {
    GameViewHost* varo = d->host;
    for (std::size_t speed = 0; speed < kSpeedItems.size(); ++speed) {
        if (item == QLatin1String(kSpeedItems[speed])) {
            if (varo != nullptr) {
                varo->Cfg().SetLongVal(QStringLiteral("TextSpeed"),
                                       static_cast<std::int32_t>(speed));
            }
            SetTextSpeed(static_cast<std::int32_t>(speed));
            AfterTextSettingChange();
            return;
        }
    }
    if (item == QLatin1String("auto")) {
        if (varo != nullptr) {
            Configuration& cfg = varo->Cfg();
            cfg.SetBoolVal(QStringLiteral("TextAutoClick"),
                           !cfg.BoolVal(QStringLiteral("TextAutoClick")));
        } else {
            SetAutoClickEnabled(!d->autoClick);
        }
        AfterTextSettingChange();
    } else if (item == QLatin1String("skip")) {
        if (varo != nullptr) {
            varo->SetSkipMode(!varo->IsSkipMode());
        }
    } else if (item == QLatin1String("log")) {
        if (varo != nullptr) {
            varo->StartLogMode();
        }
    }
}

// After a text speed or auto-click change from the menu.
void clsGameView::AfterTextSettingChange() {
    GameViewHost* varo = d->host;
    if (varo == nullptr) {
        return;
    }
    SetAutoClickEnabled(varo->Cfg().BoolVal(QStringLiteral("TextAutoClick")));
    if (d->autoClick) {
        varo->MakeAutoClickTimer(varo->Intprt().LastAutoClickTimer(), kCmdPrimary, nullptr);
    }
    varo->Kest().UpdateWindowMode();
}

bool clsGameView::QueryExit() {
    GameViewHost* varo = d->host;
    if (varo == nullptr || !varo->Cfg().BoolVal(QStringLiteral("QueryExit"))) {
        return true;
    }
    return Ask(QStringLiteral("ゲームを終了しますか。"), MsgBox::YesNo) == MsgBox::IdYes;
}

int clsGameView::Ask(const QString& prompt, int style) const {
    LauncherServices* launcher = App().Launcher;
    return launcher != nullptr ? launcher->Msg(prompt, style) : 0;
}

// ---------------------------------------------------------------------------
// Form activity and form events

bool clsGameView::FormActivity() const {
    return d->formActivity;
}

void clsGameView::FormActivityChanged() {
    if (!d->deactivateSense || d->form == nullptr) {
        return;
    }
    d->formActivity = d->form->isVisible() && d->form->isActiveWindow();
    GameViewHost* varo = d->host;
    if (varo == nullptr) {
        return;
    }
    Configuration& cfg = varo->Cfg();
    if (d->formActivity) {
        cfg.RaiseChangeEvent(QStringLiteral("BGMVolume,SEVolume,CVVolume"));
        return;
    }
    if (cfg.BoolVal(QStringLiteral("DeactivateMute"))) {
        // Only the driver is silenced; the settings bring the volumes back.
        varo->Dov().SetBGMVolume(0);
        varo->Dov().SetSEVolume(0);
        varo->Dov().SetCVVolume(0);
    }
    if (cfg.BoolVal(QStringLiteral("DeactivateWnd")) && d->screenMode == kScreenFull) {
        SetScreenMode(kScreenWindow);
    }
}

void clsGameView::FormActivationEvent() {
    // Keys let go while another window has the keyboard never come back as released.
    if (!d->form->isActiveWindow()) {
        ForgetKeys();
    }
    if (App().SubClassMode) {
        FormActivityChanged();
    }
}

void clsGameView::ForgetKeys() {
    d->ctrlDown = false;
    d->tabDown = false;
    d->lastKey = 0;
}

void clsGameView::FormCloseRequest() {
    if (!d->eventEnabled || !QueryExit()) {
        return;
    }
    if (App().Launcher != nullptr) {
        App().Launcher->CloseVaro();
    } else {
        SetScreenMode(kScreenClosed);
    }
}

void clsGameView::FormMaximizeRequest() {
    if (d->screenMode != kScreenWindow) {
        return;
    }
    if (App().FullScreenAvailable) {
        SetScreenMode(kScreenFull);
    } else {
        d->form->showNormal();
    }
}

// ---------------------------------------------------------------------------
// Save data

void clsGameView::SaveStatus(clsSaveData& saveData) {
    INISection& section = saveData.GameViewStatus();
    section.SetKeyValue(QStringLiteral("SiteName"), d->siteName);
    d->rects.SaveStatus(section);
}

void clsGameView::LoadStatus(clsSaveData& saveData) {
    INISection& section = saveData.GameViewStatus();
    SetSiteName(section.KeyValue(QStringLiteral("SiteName")));
    d->rects.LoadStatus(section);
    // The selection belonged to rectangles that are gone.
    d->selected.reset();
}
