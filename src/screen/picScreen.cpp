#include "screen/picScreen.h"

#include "platform/os/StartupProbe.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

#include "platform/kest/KestLibrary.h"
#include "screen/clsGameView.h"
#include "screen/frmScreen.h"

picScreen::picScreen(clsGameView& view, frmScreen& form)
    : QWidget(&form), mView(view), mForm(form) {
    // Everything is painted here; hover needs moves without a button held.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

void picScreen::SetGameSize(QSize size) {
    mGameSize = size;
    update();
}

void picScreen::SetFrameSource(const KestLibrary* frames) {
    mFrames = frames;
    update();
}

void picScreen::SetPictureColor(QColor colour) {
    mPictureColor = colour;
    if (!HasFrame()) {
        update();
    }
}

void picScreen::FramePresented() {
    update(PictureArea(size(), mGameSize));
}

void picScreen::SetMovieFrame(const QImage& frame) {
    mMovieFrame = frame;
    update();
}

bool picScreen::HasFrame() const {
    return !mMovieFrame.isNull() || (mFrames != nullptr && mFrames->PresentedCount() > 0 &&
                                     !mFrames->PresentedFrame().isNull());
}

const QImage* picScreen::Frame() const {
    if (!mMovieFrame.isNull()) {
        return &mMovieFrame;
    }
    return HasFrame() ? &mFrames->PresentedFrame() : nullptr;
}

QRect picScreen::PictureArea(QSize widget, QSize game) {
    if (game.isEmpty() || widget.isEmpty()) {
        return QRect(QPoint(0, 0), widget);
    }
    const QSize fitted = game.scaled(widget, Qt::KeepAspectRatio);
    const QPoint origin((widget.width() - fitted.width()) / 2,
                        (widget.height() - fitted.height()) / 2);
    return QRect(origin, fitted);
}

QPoint picScreen::ToGame(QPointF widgetPos, QSize widget, QSize game) {
    const QRect area = PictureArea(widget, game);
    if (area.isEmpty() || game.isEmpty()) {
        return widgetPos.toPoint();
    }
    const double x = (widgetPos.x() - area.left()) * game.width() / area.width();
    const double y = (widgetPos.y() - area.top()) * game.height() / area.height();
    return QPoint(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
}

void picScreen::paintEvent(QPaintEvent* /*event*/) {
    if (!mPainted) {
        mPainted = true;
        StartupProbe::FirstPicturePainted();
    }
    QPainter painter(this);
    const QRect area = PictureArea(size(), mGameSize);
    PaintBars(painter, area);
    const QImage* frame = Frame();
    if (frame == nullptr) {
        painter.fillRect(area, mPictureColor);
        return;
    }
    if (area.size() == frame->size()) {
        painter.drawImage(area.topLeft(), *frame);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(area, *frame);
}

void picScreen::PaintBars(QPainter& painter, const QRect& area) {
    const QRect whole = rect();
    painter.fillRect(QRect(0, 0, whole.width(), area.top()), Qt::black);
    painter.fillRect(QRect(0, area.bottom() + 1, whole.width(), whole.height() - area.bottom() - 1),
                     Qt::black);
    painter.fillRect(QRect(0, area.top(), area.left(), area.height()), Qt::black);
    painter.fillRect(
        QRect(area.right() + 1, area.top(), whole.width() - area.right() - 1, area.height()),
        Qt::black);
}

void picScreen::mousePressEvent(QMouseEvent* event) {
    mView.MouseDown(event->button(), ToGame(event->position()));
    event->accept();
}

void picScreen::mouseDoubleClickEvent(QMouseEvent* event) {
    mView.MouseDoubleClick(event->button(), event->buttons(), ToGame(event->position()));
    event->accept();
}

void picScreen::mouseMoveEvent(QMouseEvent* event) {
    mForm.PointerAt(static_cast<int>(event->position().y()));
    mView.MouseMove(ToGame(event->position()));
    event->accept();
}

void picScreen::wheelEvent(QWheelEvent* event) {
    mView.Wheel(event->angleDelta().y());
    event->accept();
}

void picScreen::keyPressEvent(QKeyEvent* event) {
    mView.KeyDown(event->key(), event->modifiers(), event->isAutoRepeat());
    event->accept();
}

void picScreen::keyReleaseEvent(QKeyEvent* event) {
    mView.KeyUp(event->key(), event->isAutoRepeat());
    event->accept();
}
