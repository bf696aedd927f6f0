#include "app/Console.h"

#include <QFile>
#include <cstdio>

namespace {

void writeTo(FILE* stream, const QByteArray& bytes) {
    QFile out;
    if (out.open(stream, QIODevice::WriteOnly)) {
        out.write(bytes);
        out.flush();
    }
}

}  // namespace

void Console::Out(const QByteArray& bytes) {
    writeTo(stdout, bytes);
}

void Console::Err(const QByteArray& bytes) {
    writeTo(stderr, bytes);
}

int Console::Fail(const QString& message) {
    Warn(message);
    return 1;
}

void Console::Warn(const QString& message) {
    QString text = message;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Err((text + QLatin1Char('\n')).toUtf8());
}
