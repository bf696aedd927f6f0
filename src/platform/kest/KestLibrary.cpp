#include "platform/kest/KestLibrary.h"

#include <algorithm>

#include "platform/kest/KestAction.h"
#include "platform/kest/KestCompositor.h"
#include "platform/kest/KestFilm.h"
#include "platform/os/Clock.h"

static_assert(KestLibrary::Tok::MoveValue == KestAction::kMoveValue);
static_assert(KestLibrary::Tok::MovePoint == KestAction::kMovePoint);
static_assert(KestLibrary::Tok::CallMethod == KestAction::kCallMethod);
static_assert(KestLibrary::Tok::NextCellRows == KestAction::kNextCellRows);
static_assert(KestLibrary::Tok::RevealText == KestAction::kRevealText);
static_assert(KestLibrary::Tok::Wait == KestAction::kWait);
static_assert(KestLibrary::Tok::Repeat == KestAction::kRepeat);
static_assert(KestLibrary::Tok::End == KestAction::kEnd);
static_assert(static_cast<qint32>(KestLibrary::RedrawFunc::CrossFade) ==
              KestCompositor::kCrossFade);
static_assert(static_cast<qint32>(KestLibrary::RedrawFunc::Level) == KestCompositor::kLevel);
static_assert(static_cast<qint32>(KestLibrary::RedrawFunc::Rule) == KestCompositor::kRule);

// One queued command. Film and action commands carry their id, code and value.
struct KestLibrary::Command {
    enum class Op : quint8 {
        FilmInt,
        FilmPoint,
        FilmSize,
        FilmText,
        FilmDc,
        FilmMethod,
        RemoveFilm,
        RemoveChildren,
        ActProp,
        ActMethod,
    };
    Command(Op op, qint32 id, qint32 code = 0, qint32 a = 0, qint32 b = 0, QString text = {},
            KestDc dc = {})
        : op(op), id(id), code(code), a(a), b(b), text(std::move(text)), dc(dc) {}

    Op op = Op::FilmInt;
    qint32 id = -1;
    qint32 code = 0;
    qint32 a = 0;
    qint32 b = 0;
    QString text;
    KestDc dc;
};

namespace {

using FilmProp = KestLibrary::FilmProp;
using FilmMethod = KestLibrary::FilmMethod;

QString hex(qint32 code) {
    return QStringLiteral("0x%1").arg(static_cast<quint32>(code), 8, 16, QLatin1Char('0'));
}

// 0x00BBGGRR, the screen's colour order, as a Qt colour.
QRgb fromScreenColor(qint32 color) {
    return qRgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

bool isTextProp(FilmProp prop) {
    const auto code = static_cast<qint32>(prop);
    return code >= 0x10004000 && code <= 0x1000400a;
}

bool isKnownMethod(qint32 code) {
    switch (static_cast<FilmMethod>(code)) {
        case FilmMethod::ChildrenChanged:
        case FilmMethod::ClearText:
        case FilmMethod::CopyScreen:
        case FilmMethod::TakeScreen:
        case FilmMethod::FillMask:
        case FilmMethod::PictureWritten:
        case FilmMethod::FillPicture:
        case FilmMethod::NaturalSize:
        case FilmMethod::NextCellColumn:
        case FilmMethod::NextCellRow:
        case FilmMethod::Tint:
            return true;
    }
    return false;
}

}  // namespace

KestLibrary::KestLibrary(Clock& clock, std::function<void(const QString&)> log)
    : clock_(clock),
      log_(std::move(log)),
      compositor_(std::make_unique<KestCompositor>([this](qint32 id) { return film(id); })) {
    queue_.reserve(1024);
}

KestLibrary::~KestLibrary() {
    if (timer_ != 0) {
        clock_.cancelTimer(timer_);
    }
}

// ---------------------------------------------------------------------------
// Library

bool KestLibrary::SetKestSetting(KestSetting setting, qint32 value) {
    if (setting != KestSetting::FrameRate || value < 1 || value > 1000) {
        log(QStringLiteral("Kest: setting %1 = %2 refused")
                .arg(hex(static_cast<qint32>(setting)))
                .arg(value));
        return false;
    }
    frameRate_ = value;
    return true;
}

bool KestLibrary::InitializeKest() {
    initialized_ = true;
    return true;
}

void KestLibrary::TerminateKest() {
    if (timer_ != 0) {
        clock_.cancelTimer(timer_);
        timer_ = 0;
    }
    queue_.clear();
    actions_.clear();
    films_.clear();
    root_ = kNoFilm;
    screen_ = kNoFilm;
    rootDc_ = KestDc();
    compositor_->resize(QSize());
    dirty_ = false;
    initialized_ = false;
}

bool KestLibrary::SetKestProp(KestProp prop, qint32 value) {
    if (prop != KestProp::ScreenUpdates) {
        log(QStringLiteral("Kest: unknown library property %1")
                .arg(hex(static_cast<qint32>(prop))));
        return false;
    }
    if (value == 0 && updates_) {
        // The frozen frame is the scene as it stands, not an older presented frame.
        Redraw();
        compositor_->freeze();
        updates_ = false;
    } else if (value != 0 && !updates_) {
        updates_ = true;
        dirty_ = false;
        markDirty();
    }
    return true;
}

// ---------------------------------------------------------------------------
// Films

KestLibrary::FilmId KestLibrary::AddFilm(FilmKind kind) {
    if (!initialized_) {
        log(QStringLiteral("Kest: AddFilm before InitializeKest"));
        return kNoFilm;
    }
    KestFilm::Role role = KestFilm::Role::Picture;
    switch (kind) {
        case FilmKind::Group:
            role = KestFilm::Role::Group;
            break;
        case FilmKind::Root:
            role = KestFilm::Role::Root;
            break;
        case FilmKind::Picture:
            role = KestFilm::Role::Picture;
            break;
        case FilmKind::Text:
            role = KestFilm::Role::Text;
            break;
        default:
            log(QStringLiteral("Kest: unknown film kind %1").arg(hex(static_cast<qint32>(kind))));
            return kNoFilm;
    }
    const FilmId id = nextFilm_++;
    films_.emplace(id, std::make_unique<KestFilm>(id, role));
    if (role == KestFilm::Role::Root && root_ == kNoFilm) {
        root_ = id;
        screen_ = id;
    }
    return id;
}

void KestLibrary::RemoveFilm(FilmId id) {
    if (film(id) != nullptr) {
        enqueue(Command{Command::Op::RemoveFilm, id});
    }
}

void KestLibrary::RemoveFilmChildren(FilmId id) {
    if (film(id) != nullptr) {
        enqueue(Command{Command::Op::RemoveChildren, id});
    }
}

bool KestLibrary::SetFilmProp(FilmId id, FilmProp prop, qint32 value) {
    return acceptsFilmProp(id, prop, ValueType::Int, true) &&
           enqueue(Command{Command::Op::FilmInt, id, static_cast<qint32>(prop), value});
}

bool KestLibrary::SetFilmProp(FilmId id, FilmProp prop, QPoint value) {
    return acceptsFilmProp(id, prop, ValueType::Point, true) &&
           enqueue(Command{Command::Op::FilmPoint, id, static_cast<qint32>(prop), value.x(),
                           value.y()});
}

bool KestLibrary::SetFilmProp(FilmId id, FilmProp prop, QSize value) {
    return acceptsFilmProp(id, prop, ValueType::Size, true) &&
           enqueue(Command{Command::Op::FilmSize, id, static_cast<qint32>(prop), value.width(),
                           value.height()});
}

bool KestLibrary::SetFilmProp(FilmId id, FilmProp prop, const QString& value) {
    return acceptsFilmProp(id, prop, ValueType::Text, true) &&
           enqueue(Command{Command::Op::FilmText, id, static_cast<qint32>(prop), 0, 0, value});
}

bool KestLibrary::SetFilmProp(FilmId id, FilmProp prop, const KestDc& value) {
    return acceptsFilmProp(id, prop, ValueType::Dc, true) &&
           enqueue(
               Command{Command::Op::FilmDc, id, static_cast<qint32>(prop), 0, 0, QString(), value});
}

bool KestLibrary::GetFilmProp(FilmId id, FilmProp prop, qint32& value) {
    if (!acceptsFilmProp(id, prop, ValueType::Int, false)) {
        return false;
    }
    applyQueue();
    runActions();
    KestFilm* target = film(id);
    return target != nullptr && readInt(*target, prop, value);
}

bool KestLibrary::GetFilmProp(FilmId id, FilmProp prop, QPoint& value) {
    if (!acceptsFilmProp(id, prop, ValueType::Point, false)) {
        return false;
    }
    applyQueue();
    runActions();
    const KestFilm* target = film(id);
    return target != nullptr && readPoint(*target, prop, value);
}

bool KestLibrary::GetFilmProp(FilmId id, FilmProp prop, QSize& value) {
    if (!acceptsFilmProp(id, prop, ValueType::Size, false)) {
        return false;
    }
    applyQueue();
    const KestFilm* target = film(id);
    return target != nullptr && readSize(*target, prop, value);
}

bool KestLibrary::GetFilmProp(FilmId id, FilmProp prop, QString& value) {
    if (!acceptsFilmProp(id, prop, ValueType::Text, false)) {
        return false;
    }
    applyQueue();
    const KestFilm* target = film(id);
    if (target == nullptr || !target->page) {
        return false;
    }
    value = target->page->face();
    return true;
}

bool KestLibrary::GetFilmProp(FilmId id, FilmProp prop, KestDc& value) {
    if (!acceptsFilmProp(id, prop, ValueType::Dc, false)) {
        return false;
    }
    applyQueue();
    if (film(id) == nullptr) {
        return false;
    }
    switch (prop) {
        case FilmProp::DeviceContext:
            value = id == root_ ? rootDc_ : KestDc();
            return true;
        case FilmProp::MaskSurface:
            value = KestDc::ofFilm(id, KestDc::Kind::Mask);
            return true;
        case FilmProp::GroupMaskSurface:
            value = KestDc::ofFilm(id, KestDc::Kind::GroupMask);
            return true;
        default:  // PictureSurface, SurfaceHandle
            value = KestDc::ofFilm(id, KestDc::Kind::Picture);
            return true;
    }
}

bool KestLibrary::CallFilmMethod(FilmId id, FilmMethod method, qint32 argument) {
    if (film(id) == nullptr || !isKnownMethod(static_cast<qint32>(method))) {
        log(QStringLiteral("Kest: film method %1 on film %2 refused")
                .arg(hex(static_cast<qint32>(method)))
                .arg(id));
        return false;
    }
    return enqueue(Command{Command::Op::FilmMethod, id, static_cast<qint32>(method), argument});
}

qint32 KestLibrary::GetRedrawFuncs(RedrawFunc function) const {
    switch (function) {
        case RedrawFunc::CrossFade:
        case RedrawFunc::Level:
        case RedrawFunc::Rule:
            return static_cast<qint32>(function);
        default:
            return static_cast<qint32>(RedrawFunc::Plain);
    }
}

// Checks the film, the value type and the direction of a property call.
bool KestLibrary::acceptsFilmProp(FilmId id, FilmProp prop, ValueType type, bool write) {
    const KestFilm* target = film(id);
    ValueType expected = ValueType::Int;
    bool readable = true;
    bool writable = true;
    switch (prop) {
        case FilmProp::Position:
        case FilmProp::SurfaceOrigin:
            expected = ValueType::Point;
            break;
        case FilmProp::Size:
        case FilmProp::SurfaceSize:
        case FilmProp::GroupMaskSize:
            expected = ValueType::Size;
            break;
        case FilmProp::TextAppend:
            expected = ValueType::Text;
            readable = false;
            break;
        case FilmProp::TextFont:
            expected = ValueType::Text;
            break;
        case FilmProp::DeviceContext:
            expected = ValueType::Dc;
            break;
        case FilmProp::PictureSurface:
        case FilmProp::SurfaceHandle:
        case FilmProp::MaskSurface:
        case FilmProp::GroupMaskSurface:
            expected = ValueType::Dc;
            writable = false;
            break;
        case FilmProp::TextLength:
        case FilmProp::TextLineTop:
            writable = false;
            break;
        case FilmProp::Beneath:
        case FilmProp::Above:
            readable = false;
            break;
        case FilmProp::Parent:
        case FilmProp::X:
        case FilmProp::Y:
        case FilmProp::CellWidth:
        case FilmProp::CellHeight:
        case FilmProp::TextShown:
        case FilmProp::TextSize:
        case FilmProp::TextWidth:
        case FilmProp::TextLineHeight:
        case FilmProp::TextColor:
        case FilmProp::TextSpeed:
        case FilmProp::Opacity:
        case FilmProp::VagueWidth:
        case FilmProp::Level:
        case FilmProp::NeutralLevel:
        case FilmProp::RedrawFunction:
        case FilmProp::CellColumn:
        case FilmProp::CellRow:
            break;
        default:
            readable = writable = false;
            break;
    }
    const bool accepted = initialized_ && target != nullptr && type == expected &&
                          (write ? writable : readable) &&
                          (!isTextProp(prop) || target->role() == KestFilm::Role::Text);
    if (!accepted) {
        log(QStringLiteral("Kest: %1 of property %2 on film %3 refused")
                .arg(write ? QStringLiteral("setting") : QStringLiteral("reading"))
                .arg(hex(static_cast<qint32>(prop)))
                .arg(id));
    }
    return accepted;
}

// ---------------------------------------------------------------------------
// Actions

KestLibrary::ActionId KestLibrary::AddAction() {
    if (!initialized_) {
        log(QStringLiteral("Kest: AddAction before InitializeKest"));
        return kNoAction;
    }
    const ActionId id = nextAction_++;
    actions_.emplace(id,
                     std::make_unique<KestAction>(id, kMaxTokensPerUpdate, kMaxTokensPerAction));
    return id;
}

void KestLibrary::RemoveAction(ActionId id) {
    actions_.erase(id);
}

bool KestLibrary::SetActProp(ActionId id, ActProp prop, qint32 value) {
    const bool writable =
        prop == ActProp::Position || prop == ActProp::Target || prop == ActProp::TimeScale;
    if (action(id) == nullptr || !writable) {
        log(QStringLiteral("Kest: setting action property %1 on action %2 refused")
                .arg(hex(static_cast<qint32>(prop)))
                .arg(id));
        return false;
    }
    return enqueue(Command{Command::Op::ActProp, id, static_cast<qint32>(prop), value});
}

qint32 KestLibrary::GetActProp(ActionId id, ActProp prop, qint32& value) {
    applyQueue();
    runActions();
    const KestAction* found = action(id);
    if (found == nullptr) {
        return 1;
    }
    switch (prop) {
        case ActProp::Position:
            value = found->position();
            return 0;
        case ActProp::Target:
            value = found->target();
            return 0;
        case ActProp::TimeScale:
            value = found->timeScale();
            return 0;
        case ActProp::State:
            value = static_cast<qint32>(found->running() ? ActState::Running : ActState::Ended);
            return 0;
    }
    return 1;
}

bool KestLibrary::CallActMethod(ActionId id, ActMethod method, qint32 argument) {
    switch (method) {
        case ActMethod::Start:
        case ActMethod::Finish:
        case ActMethod::Stop:
        case ActMethod::Clear:
        case ActMethod::Append:
            if (action(id) != nullptr) {
                return enqueue(
                    Command{Command::Op::ActMethod, id, static_cast<qint32>(method), argument});
            }
            break;
    }
    log(QStringLiteral("Kest: action method %1 on action %2 refused")
            .arg(hex(static_cast<qint32>(method)))
            .arg(id));
    return false;
}

// ---------------------------------------------------------------------------
// Queue and screen

bool KestLibrary::enqueue(Command&& command) {
    queue_.push_back(std::move(command));
    if (queue_.size() == 1) {
        scheduleFrame();
    }
    return true;
}

void KestLibrary::ExeQueue() {
    applyQueue();
    scheduleFrame();
}

void KestLibrary::WaitBlt() {
    Redraw();
}

bool KestLibrary::Blt(FilmId root) {
    if (root != root_ || root_ == kNoFilm) {
        log(QStringLiteral("Kest: Blt of film %1, which is not the root").arg(root));
        return false;
    }
    Redraw();
    if (rootDc_.kind() == KestDc::Kind::Image && rootDc_.image() != nullptr) {
        *rootDc_.image() = compositor_->presented();
    }
    return true;
}

bool KestLibrary::BitBltMask(const KestDc& destination, int x, int y, int width, int height,
                             const QImage& source, int sourceX, int sourceY) {
    applyQueue();
    KestFilm* target = film(destination.film());
    const bool maskKind =
        destination.kind() == KestDc::Kind::Mask || destination.kind() == KestDc::Kind::GroupMask;
    if (target == nullptr || !maskKind || source.isNull()) {
        log(QStringLiteral("Kest: BitBltMask into film %1 refused (no mask surface or no "
                           "source picture)")
                .arg(destination.film()));
        return false;
    }
    QImage* mask = Surface(destination);
    if (mask == nullptr || mask->isNull()) {
        log(QStringLiteral("Kest: BitBltMask into film %1 without a surface size")
                .arg(destination.film()));
        return false;
    }
    const QPoint shift(sourceX - x, sourceY - y);
    const QRect area = QRect(x, y, width, height) & mask->rect() & source.rect().translated(-shift);
    if (!area.isEmpty()) {
        writeMask(*mask, area, source, area.topLeft() + shift);
    }
    return true;
}

// Grey levels of the source into the mask: bytes of 8-bit pictures, else the
// grey of the premultiplied colour (transparent counts as black).
void KestLibrary::writeMask(QImage& mask, QRect area, const QImage& source, QPoint sourceAt) {
    const bool bytes =
        source.format() == QImage::Format_Grayscale8 || source.format() == QImage::Format_Alpha8;
    const QImage colours = bytes ? QImage()
                                 : source.copy(QRect(sourceAt, area.size()))
                                       .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int row = 0; row < area.height(); ++row) {
        uchar* out = mask.scanLine(area.y() + row) + area.x();
        if (bytes) {
            std::copy_n(source.constScanLine(sourceAt.y() + row) + sourceAt.x(), area.width(), out);
            continue;
        }
        const auto* in = reinterpret_cast<const QRgb*>(colours.constScanLine(row));
        for (int column = 0; column < area.width(); ++column) {
            out[column] = static_cast<uchar>(qGray(in[column]));
        }
    }
}

QImage* KestLibrary::Surface(const KestDc& dc) {
    applyQueue();
    if (dc.kind() == KestDc::Kind::Image) {
        return dc.image();
    }
    KestFilm* target = film(dc.film());
    if (target == nullptr) {
        return nullptr;
    }
    switch (dc.kind()) {
        case KestDc::Kind::Picture:
            if (target->id() == root_) {
                return &compositor_->presentedForWriting();
            }
            target->markPictureChanged();
            touch(*target);
            return &target->surface;
        case KestDc::Kind::Mask:
            if (target->mask.size() != target->surface.size()) {
                target->mask = QImage();
                if (!target->surface.isNull()) {
                    target->mask = QImage(target->surface.size(), QImage::Format_Grayscale8);
                    target->mask.fill(255);
                }
            }
            target->hasMask = true;
            target->markPictureChanged();
            touch(*target);
            return &target->mask;
        case KestDc::Kind::GroupMask:
            if (target->groupMask.isNull()) {
                target->resizeGroupMask(target->size);
            }
            touch(*target);
            return &target->groupMask;
        default:
            return nullptr;
    }
}

const QImage& KestLibrary::PresentedFrame() const {
    return compositor_->presented();
}

quint64 KestLibrary::PresentedCount() const {
    return presentedCount_;
}

void KestLibrary::SetFramePresented(std::function<void()> callback) {
    framePresented_ = std::move(callback);
}

bool KestLibrary::Redraw() {
    if (!initialized_) {
        return false;
    }
    // One frame timer for the whole redraw, chosen at its end.
    redrawing_ = true;
    applyQueue();
    runActions();
    bool presented = false;
    if (dirty_ && updates_) {
        presented = compose();
        if (presented) {
            present();
        }
    }
    redrawing_ = false;
    scheduleFrame();
    return presented;
}

std::optional<qint64> KestLibrary::NextWake() const {
    if (!initialized_) {
        return std::nullopt;
    }
    const qint64 now = clock_.now();
    const int interval = frameIntervalMs();
    std::optional<qint64> wake;
    if (!queue_.empty() || (dirty_ && updates_)) {
        wake = now;
    }
    for (const auto& [id, running] : actions_) {
        const std::optional<qint64> next = running->wake(now, interval);
        if (next && (!wake || *next < *wake)) {
            wake = next;
        }
    }
    if (wake && lastFrameAt_ >= 0) {
        wake = std::max(*wake, lastFrameAt_ + interval);
    }
    return wake;
}

void KestLibrary::SetAutoFrames(bool on) {
    autoFrames_ = on;
    if (!on && timer_ != 0) {
        clock_.cancelTimer(timer_);
        timer_ = 0;
    }
    scheduleFrame();
}

int KestLibrary::PendingCommands() const {
    return static_cast<int>(queue_.size());
}

void KestLibrary::applyQueue() {
    // Applying never queues, so the loop ends with the commands present now.
    for (const Command& command : queue_) {
        apply(command);
    }
    queue_.clear();
}

void KestLibrary::apply(const Command& command) {
    if (command.op == Command::Op::ActProp || command.op == Command::Op::ActMethod) {
        KestAction* target = action(command.id);
        if (target == nullptr) {
            return;
        }
        if (command.op == Command::Op::ActProp) {
            applyActProp(*target, static_cast<ActProp>(command.code), command.a);
        } else {
            applyActMethod(*target, static_cast<ActMethod>(command.code), command.a);
        }
        return;
    }
    KestFilm* target = film(command.id);
    if (target == nullptr) {
        log(QStringLiteral("Kest: command %1 for film %2, which is gone")
                .arg(hex(command.code))
                .arg(command.id));
        return;
    }
    const auto prop = static_cast<FilmProp>(command.code);
    switch (command.op) {
        case Command::Op::FilmInt:
            applyIntProp(*target, prop, command.a);
            break;
        case Command::Op::FilmPoint:
            applyPointProp(*target, prop, QPoint(command.a, command.b));
            break;
        case Command::Op::FilmSize:
            applySizeProp(*target, prop, QSize(command.a, command.b));
            break;
        case Command::Op::FilmText:
            applyTextProp(*target, prop, command.text);
            break;
        case Command::Op::FilmDc:
            applyDcProp(*target, prop, command.dc);
            break;
        case Command::Op::FilmMethod:
            applyMethod(*target, static_cast<FilmMethod>(command.code), command.a);
            break;
        case Command::Op::RemoveFilm: {
            if (isOnScreen(*target)) {
                markDirty();
            }
            detach(*target);
            removeTree(command.id);
            break;
        }
        case Command::Op::RemoveChildren: {
            const std::vector<qint32> children = std::move(target->children);
            target->children.clear();
            for (const qint32 child : children) {
                removeTree(child);
            }
            touch(*target);
            break;
        }
        default:
            break;
    }
}

// ---------------------------------------------------------------------------
// Applying film properties and methods

template <typename Change>
void KestLibrary::changeGeometry(KestFilm& target, Change change) {
    const bool before = isOnScreen(target);
    change();
    if (target.page) {
        target.page->setArea(target.size);
    }
    if (before || isOnScreen(target)) {
        markDirty();
    }
}

void KestLibrary::applyIntProp(KestFilm& target, FilmProp prop, qint32 value) {
    switch (prop) {
        case FilmProp::Parent:
            setParent(target, value);
            return;
        case FilmProp::Beneath:
        case FilmProp::Above:
            stackNextTo(target, value, prop == FilmProp::Above);
            return;
        case FilmProp::X:
            changeGeometry(target, [&] { target.position.setX(value); });
            return;
        case FilmProp::Y:
            changeGeometry(target, [&] { target.position.setY(value); });
            return;
        case FilmProp::CellWidth:
            changeGeometry(target, [&] { target.size.setWidth(std::max(value, 0)); });
            return;
        case FilmProp::CellHeight:
            changeGeometry(target, [&] { target.size.setHeight(std::max(value, 0)); });
            return;
        case FilmProp::Opacity:
            changeGeometry(target, [&] { target.opacity = value; });
            return;
        case FilmProp::VagueWidth:
            target.vagueWidth = value;
            break;
        case FilmProp::Level:
            target.level = value;
            break;
        case FilmProp::NeutralLevel:
            target.neutralLevel = value;
            break;
        case FilmProp::RedrawFunction:
            target.redraw = value;
            break;
        case FilmProp::CellColumn:
            target.cellColumn = value;
            break;
        case FilmProp::CellRow:
            target.cellRow = value;
            break;
        default:
            if (target.page) {
                applyTextInt(*target.page, prop, value);
                touch(target);
            }
            return;
    }
    touch(target);
}

void KestLibrary::applyPointProp(KestFilm& target, FilmProp prop, QPoint value) {
    if (prop == FilmProp::Position) {
        changeGeometry(target, [&] { target.position = value; });
    } else {
        target.origin = value;
        touch(target);
    }
}

void KestLibrary::applySizeProp(KestFilm& target, FilmProp prop, QSize value) {
    const QSize size(std::max(value.width(), 0), std::max(value.height(), 0));
    switch (prop) {
        case FilmProp::Size:
            if (target.id() == root_) {
                setRootSize(size);
            }
            changeGeometry(target, [&] { target.size = size; });
            return;
        case FilmProp::SurfaceSize:
            // The root's surface is the frame itself.
            if (target.id() != root_ && acceptableSize(size, target.id(), "surface")) {
                target.resizeSurface(size);
                touch(target);
            }
            return;
        default:  // GroupMaskSize
            if (acceptableSize(size, target.id(), "rule mask")) {
                target.resizeGroupMask(size);
                touch(target);
            }
            return;
    }
}

void KestLibrary::applyTextProp(KestFilm& target, FilmProp prop, const QString& value) {
    if (prop == FilmProp::TextAppend) {
        target.page->append(value);
    } else {
        target.page->setFace(value);
    }
    touch(target);
}

void KestLibrary::applyTextInt(KestTextPage& page, FilmProp prop, qint32 value) {
    switch (prop) {
        case FilmProp::TextShown:
            page.setShown(value);
            break;
        case FilmProp::TextSize:
            page.setSize(value);
            break;
        case FilmProp::TextWidth:
            page.setWidth(value);
            break;
        case FilmProp::TextLineHeight:
            page.setLineHeight(value);
            break;
        case FilmProp::TextColor:
            page.setColor(value);
            break;
        case FilmProp::TextSpeed:
            page.setSpeed(value);
            break;
        default:
            break;
    }
}

void KestLibrary::applyDcProp(KestFilm& target, FilmProp, const KestDc& value) {
    if (target.id() != root_ ||
        (value.kind() != KestDc::Kind::Image && value.kind() != KestDc::Kind::None)) {
        log(QStringLiteral("Kest: only the root takes an outside device context (film %1)")
                .arg(target.id()));
        return;
    }
    rootDc_ = value;
}

void KestLibrary::applyMethod(KestFilm& target, FilmMethod method, qint32 argument) {
    switch (method) {
        case FilmMethod::ChildrenChanged:
            break;
        case FilmMethod::PictureWritten:
            target.markPictureChanged();
            break;
        case FilmMethod::ClearText:
            if (target.page) {
                target.page->clear();
            }
            break;
        case FilmMethod::CopyScreen:
            if (KestFilm* destination = film(argument)) {
                copyScreenInto(*destination);
            }
            return;
        case FilmMethod::TakeScreen:
            takeScreen(target, argument);
            return;
        case FilmMethod::FillMask:
            target.fillMask(argument);
            break;
        case FilmMethod::FillPicture:
            target.fillPicture(fromScreenColor(argument));
            break;
        case FilmMethod::NaturalSize:
            changeGeometry(target, [&] { target.naturalSize(); });
            return;
        case FilmMethod::NextCellColumn:
            target.nextCellColumn();
            break;
        case FilmMethod::NextCellRow:
            target.advanceCellRows(1);
            break;
        case FilmMethod::Tint:
            target.tint(fromScreenColor(argument));
            break;
    }
    touch(target);
}

void KestLibrary::applyActProp(KestAction& target, ActProp prop, qint32 value) {
    switch (prop) {
        case ActProp::Position:
            target.setPosition(value);
            break;
        case ActProp::Target:
            target.setTarget(value);
            break;
        case ActProp::TimeScale:
            target.setTimeScale(value);
            break;
        case ActProp::State:
            break;
    }
}

void KestLibrary::applyActMethod(KestAction& target, ActMethod method, qint32 argument) {
    switch (method) {
        case ActMethod::Start:
            target.start(clock_.now());
            break;
        case ActMethod::Finish:
            target.finish(*this);
            break;
        case ActMethod::Stop:
            target.stop();
            break;
        case ActMethod::Clear:
            target.clear();
            break;
        case ActMethod::Append:
            if (!target.append(argument) && target.tokens().size() == kMaxTokensPerAction) {
                log(QStringLiteral("Kest action %1: more than %2 tokens; the rest is dropped")
                        .arg(target.id())
                        .arg(kMaxTokensPerAction));
            }
            break;
    }
}

bool KestLibrary::readInt(KestFilm& target, FilmProp prop, qint32& value) {
    KestTextPage* page = target.page.get();
    switch (prop) {
        case FilmProp::Parent:
            value = target.parent;
            return true;
        case FilmProp::X:
            value = target.position.x();
            return true;
        case FilmProp::Y:
            value = target.position.y();
            return true;
        case FilmProp::CellWidth:
            value = target.size.width();
            return true;
        case FilmProp::CellHeight:
            value = target.size.height();
            return true;
        case FilmProp::Opacity:
            value = target.opacity;
            return true;
        case FilmProp::VagueWidth:
            value = target.vagueWidth;
            return true;
        case FilmProp::Level:
            value = target.level;
            return true;
        case FilmProp::NeutralLevel:
            value = target.neutralLevel;
            return true;
        case FilmProp::RedrawFunction:
            value = target.redraw;
            return true;
        case FilmProp::CellColumn:
            value = target.cellColumn;
            return true;
        case FilmProp::CellRow:
            value = target.cellRow;
            return true;
        default:
            break;
    }
    if (page == nullptr) {
        return false;
    }
    switch (prop) {
        case FilmProp::TextLength:
            value = page->length();
            return true;
        case FilmProp::TextShown:
            value = page->shown();
            return true;
        case FilmProp::TextSize:
            value = page->size();
            return true;
        case FilmProp::TextWidth:
            value = page->width();
            return true;
        case FilmProp::TextLineHeight:
            value = page->lineHeight();
            return true;
        case FilmProp::TextColor:
            value = page->color();
            return true;
        case FilmProp::TextSpeed:
            value = page->speed();
            return true;
        case FilmProp::TextLineTop:
            value = target.position.y() + page->lineTop();
            return true;
        default:
            return false;
    }
}

bool KestLibrary::readPoint(const KestFilm& target, FilmProp prop, QPoint& value) const {
    value = prop == FilmProp::Position ? target.position : target.origin;
    return true;
}

bool KestLibrary::readSize(const KestFilm& target, FilmProp prop, QSize& value) const {
    switch (prop) {
        case FilmProp::Size:
            value = target.size;
            return true;
        case FilmProp::SurfaceSize:
            value = target.id() == root_ ? compositor_->size() : target.surface.size();
            return true;
        default:  // GroupMaskSize
            value = target.groupMask.size();
            return true;
    }
}

// ---------------------------------------------------------------------------
// Tree

void KestLibrary::setParent(KestFilm& target, FilmId parent) {
    if (parent == target.parent) {
        return;
    }
    KestFilm* newParent = parent == kNoFilm ? nullptr : film(parent);
    if (parent != kNoFilm && (newParent == nullptr || isAncestorOf(target, parent))) {
        log(QStringLiteral("Kest: film %1 cannot go below film %2").arg(target.id()).arg(parent));
        return;
    }
    const bool before = isOnScreen(target);
    detach(target);
    if (newParent != nullptr) {
        newParent->children.push_back(target.id());
        target.parent = parent;
    }
    if (before || isOnScreen(target)) {
        markDirty();
    }
}

void KestLibrary::stackNextTo(KestFilm& target, FilmId reference, bool above) {
    const KestFilm* next = film(reference);
    if (next == nullptr || next->parent == kNoFilm || reference == target.id() ||
        isAncestorOf(target, next->parent)) {
        log(QStringLiteral("Kest: film %1 cannot be stacked next to film %2")
                .arg(target.id())
                .arg(reference));
        return;
    }
    const bool before = isOnScreen(target);
    detach(target);
    KestFilm& parent = *film(next->parent);
    auto at = std::find(parent.children.begin(), parent.children.end(), reference);
    parent.children.insert(above ? at + 1 : at, target.id());
    target.parent = parent.id();
    if (before || isOnScreen(target)) {
        markDirty();
    }
}

// True when `descendant` is the film itself or lies below it.
bool KestLibrary::isAncestorOf(const KestFilm& target, FilmId descendant) const {
    for (const KestFilm* at = film(descendant); at != nullptr; at = film(at->parent)) {
        if (at->id() == target.id()) {
            return true;
        }
    }
    return false;
}

void KestLibrary::detach(KestFilm& target) {
    if (KestFilm* parent = film(target.parent)) {
        std::erase(parent->children, target.id());
    }
    target.parent = kNoFilm;
}

void KestLibrary::removeTree(FilmId id) {
    KestFilm* target = film(id);
    if (target == nullptr) {
        return;
    }
    const std::vector<qint32> children = std::move(target->children);
    for (const qint32 child : children) {
        removeTree(child);
    }
    if (id == root_) {
        root_ = kNoFilm;
    }
    films_.erase(id);
}

void KestLibrary::copyScreenInto(KestFilm& target) {
    const QImage& screen = compositor_->presented();
    target.surface = screen.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    target.hasMask = false;
    target.mask = QImage();
    target.markPictureChanged();
    changeGeometry(target, [&] {
        target.size = screen.size();
        target.origin = QPoint();
        target.cellColumn = 0;
        target.cellRow = 0;
    });
}

// `target` becomes the film drawn as the screen when `replaced` is the one drawn
// now; the root can always take the screen back.
void KestLibrary::takeScreen(KestFilm& target, FilmId replaced) {
    if (replaced != screenFilm() && target.id() != root_) {
        log(QStringLiteral("Kest: film %1 cannot take the screen from film %2")
                .arg(target.id())
                .arg(replaced));
        return;
    }
    if (screen_ != target.id()) {
        screen_ = target.id();
        markDirty();
    }
}

bool KestLibrary::acceptableSize(QSize size, FilmId id, const char* what) const {
    if (size.width() <= kMaxSurfaceSide && size.height() <= kMaxSurfaceSide &&
        static_cast<qint64>(size.width()) * size.height() <= kMaxSurfacePixels) {
        return true;
    }
    log(QStringLiteral("Kest: %1 size %2x%3 of film %4 refused (too large)")
            .arg(QLatin1String(what))
            .arg(size.width())
            .arg(size.height())
            .arg(id));
    return false;
}

void KestLibrary::setRootSize(QSize size) {
    if (size != compositor_->size() && acceptableSize(size, root_, "screen")) {
        compositor_->resize(size);
    }
}

KestFilm* KestLibrary::film(FilmId id) {
    const auto found = films_.find(id);
    return found == films_.end() ? nullptr : found->second.get();
}

const KestFilm* KestLibrary::film(FilmId id) const {
    const auto found = films_.find(id);
    return found == films_.end() ? nullptr : found->second.get();
}

KestAction* KestLibrary::action(ActionId id) {
    const auto found = actions_.find(id);
    return found == actions_.end() ? nullptr : found->second.get();
}

KestLibrary::FilmId KestLibrary::screenFilm() const {
    return film(screen_) != nullptr ? screen_ : root_;
}

// The top-most child of the root that holds a transition rule.
const KestFilm* KestLibrary::ruleFilm() const {
    const KestFilm* root = film(root_);
    if (root == nullptr) {
        return nullptr;
    }
    for (auto it = root->children.rbegin(); it != root->children.rend(); ++it) {
        const KestFilm* child = film(*it);
        if (child != nullptr && !child->groupMask.isNull()) {
            return child;
        }
    }
    return nullptr;
}

// Whether a change of the film can alter the screen: it lies below the screen
// film, nothing on the way is invisible, and a film without children overlaps
// the frame.
bool KestLibrary::isOnScreen(const KestFilm& target) const {
    const FilmId screen = screenFilm();
    QPoint topLeft;
    for (const KestFilm* at = &target; at != nullptr; at = film(at->parent)) {
        if (at->opacity <= 0) {
            return false;
        }
        if (at->id() == screen) {
            if (at == &target || !target.children.empty()) {
                return true;
            }
            if (at->id() != root_) {
                topLeft += at->position;
            }
            return QRect(topLeft, target.size).intersects(QRect(QPoint(), compositor_->size()));
        }
        topLeft += at->position;
    }
    return false;
}

void KestLibrary::touch(const KestFilm& target) {
    if (isOnScreen(target)) {
        markDirty();
    }
}

void KestLibrary::markDirty() {
    if (!dirty_) {
        dirty_ = true;
        scheduleFrame();
    }
}

// ---------------------------------------------------------------------------
// Time and frames

void KestLibrary::runActions() {
    const qint64 now = clock_.now();
    for (auto& [id, running] : actions_) {
        if (running->running()) {
            running->run(now, *this);
        }
    }
}

bool KestLibrary::compose() {
    dirty_ = false;
    KestFilm* screen = film(screenFilm());
    const KestFilm* root = film(root_);
    if (screen == nullptr || root == nullptr) {
        return false;
    }
    compositor_->compose(*screen, *root,
                         root->redraw == KestCompositor::kRule ? ruleFilm() : nullptr);
    return true;
}

void KestLibrary::present() {
    compositor_->present();
    ++presentedCount_;
    lastFrameAt_ = clock_.now();
    if (rootDc_.kind() == KestDc::Kind::Image && rootDc_.image() != nullptr) {
        *rootDc_.image() = compositor_->presented();
    }
    if (framePresented_) {
        framePresented_();
    }
}

void KestLibrary::scheduleFrame() {
    if (!autoFrames_ || !initialized_ || redrawing_) {
        return;
    }
    const std::optional<qint64> wake = NextWake();
    const bool active = timer_ != 0 && clock_.isTimerActive(timer_);
    if (!wake || (active && timerDue_ <= *wake)) {
        return;
    }
    if (active) {
        clock_.cancelTimer(timer_);
    }
    timerDue_ = *wake;
    const auto delay = static_cast<int>(std::clamp<qint64>(*wake - clock_.now(), 0, 60000));
    timer_ = clock_.startTimer(delay, [this] {
        timer_ = 0;
        Redraw();
    });
    clock_.markBackground(timer_);
}

int KestLibrary::frameIntervalMs() const {
    return std::max(1000 / frameRate_, 1);
}

void KestLibrary::log(const QString& line) const {
    if (log_) {
        log_(line);
    }
}

// ---------------------------------------------------------------------------
// What actions do to films

bool KestLibrary::ReadIntProp(qint32 id, qint32 prop, qint32& value) {
    KestFilm* target = film(id);
    return target != nullptr && readInt(*target, static_cast<FilmProp>(prop), value);
}

bool KestLibrary::WriteIntProp(qint32 id, qint32 prop, qint32 value) {
    KestFilm* target = film(id);
    qint32 current = 0;
    if (target == nullptr || !readInt(*target, static_cast<FilmProp>(prop), current)) {
        return false;
    }
    if (current != value) {
        applyIntProp(*target, static_cast<FilmProp>(prop), value);
    }
    return true;
}

bool KestLibrary::ReadPointProp(qint32 id, qint32 prop, QPoint& value) {
    const KestFilm* target = film(id);
    const auto code = static_cast<FilmProp>(prop);
    if (target == nullptr || (code != FilmProp::Position && code != FilmProp::SurfaceOrigin)) {
        return false;
    }
    return readPoint(*target, code, value);
}

bool KestLibrary::WritePointProp(qint32 id, qint32 prop, QPoint value) {
    KestFilm* target = film(id);
    const auto code = static_cast<FilmProp>(prop);
    if (target == nullptr || (code != FilmProp::Position && code != FilmProp::SurfaceOrigin)) {
        return false;
    }
    applyPointProp(*target, code, value);
    return true;
}

bool KestLibrary::RunFilmMethod(qint32 id, qint32 method, qint32 argument) {
    KestFilm* target = film(id);
    if (target == nullptr || !isKnownMethod(method)) {
        return false;
    }
    applyMethod(*target, static_cast<FilmMethod>(method), argument);
    return true;
}

bool KestLibrary::AdvanceCellRows(qint32 id, qint32 rows) {
    KestFilm* target = film(id);
    if (target == nullptr) {
        return false;
    }
    target->advanceCellRows(rows);
    touch(*target);
    return true;
}

KestActionTarget::TextProgress KestLibrary::RevealText(qint32 id, qint64 budgetMs, qint32 scale) {
    KestFilm* target = film(id);
    if (target == nullptr || !target->page) {
        return TextProgress{};
    }
    const int before = target->page->shown();
    const TextProgress progress = target->page->reveal(budgetMs, scale);
    if (target->page->shown() != before) {
        touch(*target);
    }
    return progress;
}

void KestLibrary::ReportAction(const QString& line) {
    log(line);
}
