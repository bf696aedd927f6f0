#include "platform/os/InputDiscardFilter.h"

#include <QApplication>
#include <QEvent>
#include <QThread>

namespace {

bool isDiscardedInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
            return true;
        default:
            return false;
    }
}

// Only windows and widgets receive user input; events that other objects pass
// among themselves are left alone.
bool discards(const QObject* receiver, const QEvent* event) {
    if (!isDiscardedInput(event->type())) {
        return false;
    }
    if (!receiver->isWidgetType() && !receiver->isWindowType()) {
        return false;
    }
    return QApplication::activeModalWidget() == nullptr;
}

}  // namespace

InputDiscardFilter::InputDiscardFilter() {
    // An application filter only sees the events of the application's own thread.
    QCoreApplication* application = QCoreApplication::instance();
    if (application != nullptr && application->thread() == QThread::currentThread()) {
        application->installEventFilter(this);
        installed_ = true;
    }
}

InputDiscardFilter::~InputDiscardFilter() {
    if (installed_ && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

bool InputDiscardFilter::eventFilter(QObject* watched, QEvent* event) {
    if (!discards(watched, event)) {
        return false;
    }
    // An accepted override keeps the key from being taken as a menu shortcut.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
    }
    return true;
}
