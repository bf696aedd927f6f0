#include "platform/os/TraceSink.h"

#include <QFile>

#include "platform/os/Clock.h"

namespace {

// CR LF, LF and a lone CR each become the two characters "\n".
QString escapeLineBreaks(const QString& event) {
    QString escaped = event;
    escaped.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    escaped.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    escaped.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return escaped;
}

}  // namespace

TraceSink::TraceSink(const Clock& clock) : clock_(clock) {}

TraceSink::~TraceSink() = default;

bool TraceSink::openFile(const QString& path) {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    file_ = std::move(file);
    return true;
}

void TraceSink::write(const QString& event) {
    const QString line = QStringLiteral("t=") + QString::number(clock_.now()) + QLatin1Char(' ') +
                         escapeLineBreaks(event);
    if (file_) {
        file_->write(line.toUtf8() + '\n');
        file_->flush();
    }
    if (keepInMemory_) {
        lines_.append(line);
    }
}
