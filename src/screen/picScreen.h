#pragma once

#include <QColor>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QWidget>

class KestLibrary;
class clsGameView;
class frmScreen;

// The picture box of the game window. It paints the frame the screen driver
// presented: 1:1 while the widget has the game size (window mode), scaled as
// large as fits with the aspect kept and black bars around otherwise (full
// screen). Mouse, wheel and key input go to the game view in game-screen pixels.
class picScreen : public QWidget {
public:
    picScreen(clsGameView& view, frmScreen& form);

    QSize GameSize() const { return mGameSize; }
    void SetGameSize(QSize size);
    // The library whose presented frame is shown; null shows the picture colour.
    void SetFrameSource(const KestLibrary* frames);
    QColor PictureColor() const { return mPictureColor; }
    void SetPictureColor(QColor colour);
    // A new frame was presented: repaint the picture.
    void FramePresented();
    // A movie picture shown instead of the screen's frames; a null image ends it.
    void SetMovieFrame(const QImage& frame);
    // Whether a presented frame is there to show.
    bool HasFrame() const;
    // The frame shown now (null image when there is none).
    const QImage* Frame() const;

    // Where the game screen lies in a widget of that size: as large as fits with
    // the aspect kept, centred.
    static QRect PictureArea(QSize widget, QSize game);
    // The game-screen pixel under a widget position (outside the screen in the bars).
    static QPoint ToGame(QPointF widgetPos, QSize widget, QSize game);
    QPoint ToGame(QPointF widgetPos) const { return ToGame(widgetPos, size(), mGameSize); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    // Tab is a game key, not focus navigation.
    bool focusNextPrevChild(bool /*next*/) override { return false; }

private:
    void PaintBars(QPainter& painter, const QRect& area);

    clsGameView& mView;
    frmScreen& mForm;
    const KestLibrary* mFrames = nullptr;
    QSize mGameSize;
    QColor mPictureColor = Qt::black;
    bool mPainted = false;
    QImage mMovieFrame;
};
