#include "XvfbServer.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

namespace {

constexpr int kFirstDisplay = 90;
constexpr int kLastDisplay = 199;
constexpr int kStartTimeoutMs = 10000;
constexpr int kPollMs = 20;

}  // namespace

XvfbServer::~XvfbServer() {
    stop();
}

bool XvfbServer::start() {
    for (int number = kFirstDisplay; number <= kLastDisplay; ++number) {
        if (displayInUse(number)) {
            continue;
        }
        if (startOn(number)) {
            return true;
        }
        if (process_.error() == QProcess::FailedToStart) {
            return false;
        }
        // Another server may have taken the display in the meantime: try the next.
    }
    if (error_.isEmpty()) {
        error_ = QStringLiteral("no free X display between :%1 and :%2")
                     .arg(kFirstDisplay)
                     .arg(kLastDisplay);
    }
    return false;
}

bool XvfbServer::displayInUse(int number) {
    return QFileInfo::exists(socketPath(number)) ||
           QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(number));
}

QString XvfbServer::socketPath(int number) {
    return QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
}

bool XvfbServer::startOn(int number) {
    const QString name = QStringLiteral(":%1").arg(number);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setStandardErrorFile(QProcess::nullDevice());
    process_.start(QStringLiteral("Xvfb"), {name, QStringLiteral("-screen"), QStringLiteral("0"),
                                            QStringLiteral("1280x1024x24"),
                                            QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!process_.waitForStarted()) {
        error_ = QStringLiteral("cannot start Xvfb: ") + process_.errorString();
        return false;
    }
    if (!waitForSocket(number)) {
        stop();
        return false;
    }
    display_ = name;
    return true;
}

bool XvfbServer::waitForSocket(int number) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < kStartTimeoutMs) {
        if (process_.state() == QProcess::NotRunning) {
            error_ = QStringLiteral("Xvfb on :%1 exited with code %2")
                         .arg(number)
                         .arg(process_.exitCode());
            return false;
        }
        if (QFileInfo::exists(socketPath(number))) {
            return true;
        }
        QThread::msleep(kPollMs);
    }
    error_ = QStringLiteral("Xvfb on :%1 did not open its socket within %2 ms")
                 .arg(number)
                 .arg(kStartTimeoutMs);
    return false;
}

void XvfbServer::stop() {
    if (process_.state() == QProcess::NotRunning) {
        return;
    }
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished();
    }
}
