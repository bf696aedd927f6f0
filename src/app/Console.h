#pragma once

#include <QByteArray>
#include <QString>

// Standard output and error of the command-line tools.
class Console {
public:
    static void Out(const QByteArray& bytes);
    static void Err(const QByteArray& bytes);
    // Prints the message as one UTF-8 line to standard error (CR LF shown as line
    // breaks) and returns the failing exit code 1.
    static int Fail(const QString& message);
    // The same line for a problem that does not stop the command.
    static void Warn(const QString& message);
};
