#pragma once

#include <QString>

class clsOskaDriver;

// The first start-up step: every archive of the archive folder is registered
// with the archive driver, archive i under the base i × clsOskaDriver::ArchiveIDSpan,
// and its file list is read into the key table.
class ArchiveStartup {
public:
    // True when every archive was registered (or there is none). On failure the
    // message for the player is set: the failed step, then CR LF and the
    // archive's path where one archive is at fault.
    static bool RegisterArchives(clsOskaDriver& oska, const QString& archiveDir,
                                 QString& failureMessage);
};
