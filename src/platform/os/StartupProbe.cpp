#include "platform/os/StartupProbe.h"

#include <QDateTime>

#include "platform/os/FileIo.h"

void StartupProbe::FirstPicturePainted() {
    const QString path = qEnvironmentVariable("VARO_FIRST_FRAME_FILE");
    if (path.isEmpty()) {
        return;
    }
    const QByteArray line =
        "first-frame " + QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + "\n";
    FileIo::append(path, line);
}
