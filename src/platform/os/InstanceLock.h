#pragma once

#include <QString>
#include <memory>

class QLockFile;

// Keeps a second player off the same game folder: a lock file in the user's
// runtime folder named after the folder's absolute path. The lock of a process
// that died does not count; the lock is released with this object.
class InstanceLock {
public:
    explicit InstanceLock(const QString& gameDir);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this process now holds the folder's lock (or already held it).
    bool tryLock();
    bool isLocked() const;
    void unlock();

    // "varo-<first 16 hex digits of the SHA-1 of the absolute folder path>.lock"
    static QString LockFileName(const QString& gameDir);
    // The folder the lock files live in.
    static QString LockFolder();
    // A real folder (not a link) that belongs to this user.
    static bool IsPrivateFolder(const QString& folder);

private:
    std::unique_ptr<QLockFile> file_;
};
