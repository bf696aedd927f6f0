#pragma once

#include <QProcess>
#include <QString>

// A private virtual X server for benchmarks that need a real window: started on
// the first free display from :90 up, stopped when the object goes away.
class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // Starts the server and waits until it accepts connections; false (with
    // errorText()) when it cannot be started.
    bool start();
    // The display name for DISPLAY, e.g. ":90".
    QString display() const { return display_; }
    QString errorText() const { return error_; }

private:
    static bool displayInUse(int number);
    static QString socketPath(int number);
    bool startOn(int number);
    bool waitForSocket(int number);
    void stop();

    QProcess process_;
    QString display_;
    QString error_;
};
