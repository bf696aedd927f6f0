#include "screen/frmScreen.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>

#include "screen/clsGameView.h"
#include "screen/picScreen.h"

frmScreen::frmScreen(clsGameView& view)
    : mView(view), mPicture(new picScreen(view, *this)), mOverlayBar(new QMenuBar(mPicture)) {
    // The menu bar belongs to the window on every desktop, so the window's size
    // is the picture's plus the bar's.
    menuBar()->setNativeMenuBar(false);
    mOverlayBar->setNativeMenuBar(false);
    mOverlayBar->hide();
    setCentralWidget(mPicture);
    setFocusProxy(mPicture);
}

void frmScreen::AddMenu(QMenu* menu) {
    menuBar()->addMenu(menu);
    mOverlayBar->addMenu(menu);
}

void frmScreen::SetGameSize(QSize game) {
    mPicture->SetGameSize(game);
    if (!mFullScreen) {
        mPicture->setFixedSize(game);
    }
}

void frmScreen::ShowWindowMode(QSize game) {
    mFullScreen = false;
    ShowOverlayBar(false);
    menuBar()->show();
    mPicture->SetGameSize(game);
    mPicture->setFixedSize(game);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    showNormal();
}

void frmScreen::ShowFullScreenMode() {
    mFullScreen = true;
    menuBar()->hide();
    ShowOverlayBar(false);
    layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
    mPicture->setMinimumSize(0, 0);
    mPicture->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    showFullScreen();
}

void frmScreen::PointerAt(int pictureRow) {
    if (!mFullScreen) {
        return;
    }
    if (pictureRow < kMenuShowRow) {
        ShowOverlayBar(true);
    } else if (pictureRow > kMenuHideRow) {
        ShowOverlayBar(false);
    }
}

void frmScreen::ShowOverlayBar(bool shown) {
    if (!shown) {
        mOverlayBar->hide();
        return;
    }
    if (!mOverlayBar->isHidden()) {
        return;
    }
    mOverlayBar->setGeometry(0, 0, mPicture->width(), mOverlayBar->sizeHint().height());
    mOverlayBar->show();
    mOverlayBar->raise();
}

bool frmScreen::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate) {
        mView.FormActivationEvent();
    }
    return QMainWindow::event(event);
}

void frmScreen::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) {
        mView.FormActivationEvent();
    } else if (event->type() == QEvent::WindowStateChange && !mFullScreen &&
               (windowState() & Qt::WindowMaximized) != 0) {
        // Change the window state only after this change has been handled.
        QMetaObject::invokeMethod(
            this, [this] { mView.FormMaximizeRequest(); }, Qt::QueuedConnection);
    }
    QMainWindow::changeEvent(event);
}

void frmScreen::closeEvent(QCloseEvent* event) {
    // The engine decides: closing it hides the form through the closed screen mode.
    event->ignore();
    mView.FormCloseRequest();
}

void frmScreen::keyPressEvent(QKeyEvent* event) {
    mView.KeyDown(event->key(), event->modifiers(), event->isAutoRepeat());
    event->accept();
}

void frmScreen::keyReleaseEvent(QKeyEvent* event) {
    mView.KeyUp(event->key(), event->isAutoRepeat());
    event->accept();
}
