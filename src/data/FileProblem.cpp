#include "FileProblem.h"

#include <QFileInfo>
#include <QStorageInfo>
#include <cerrno>

#ifdef Q_OS_WIN
// Qt reads a file's rights from its access list only while this is above zero; otherwise a
// folder of Program Files that only administrators may change reads as writable.
extern Q_CORE_EXPORT int qt_ntfs_permission_lookup;
#endif

namespace {

QString wordsForSystemError(int code) {
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("файл не найден");
    case EISDIR:
        return QStringLiteral("это папка, а не файл");
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав доступа");
    case EROFS:
        return QStringLiteral("диск доступен только для чтения");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("на диске нет места");
    case EBUSY:
    case ETXTBSY:
    case EAGAIN:
        return QStringLiteral("файл занят другой программой");
    case EIO:
        return QStringLiteral("ошибка чтения или записи на диске");
    case ENAMETOOLONG:
        return QStringLiteral("слишком длинное имя файла");
    default:
        return {};
    }
}

bool permitted(const QFileInfo& file, FileUse use) {
#ifdef Q_OS_WIN
    ++qt_ntfs_permission_lookup;
    const struct Restore {
        ~Restore() { --qt_ntfs_permission_lookup; }
    } restore;
#endif
    if (use == FileUse::Read)
        return file.isReadable();
    // A file not there yet is made in its folder.
    return file.exists() ? file.isWritable() : QFileInfo(file.absolutePath()).isWritable();
}

} // namespace

QString fileProblem(const QString& path, FileUse use, int systemError) {
    const QFileInfo file(path);
    if (file.isDir())
        return wordsForSystemError(EISDIR);
    if (!file.exists() && (use == FileUse::Read || !QFileInfo(file.absolutePath()).isDir()))
        return wordsForSystemError(ENOENT);
    if (file.exists() && !file.isFile())
        return QStringLiteral("это не обычный файл");
    const QStorageInfo disk(file.absolutePath());
    if (use == FileUse::Write && disk.isValid() && disk.isReadOnly())
        return wordsForSystemError(EROFS);
    if (!permitted(file, use))
        return wordsForSystemError(EACCES);
    if (const QString words = wordsForSystemError(systemError); !words.isEmpty())
        return words;
    if (use == FileUse::Write && disk.isValid() && disk.bytesAvailable() == 0)
        return wordsForSystemError(ENOSPC);
    return use == FileUse::Read ? QStringLiteral("файл не читается")
                                : QStringLiteral("файл не записывается");
}

// The codes of winerror.h, by number: the function is the same on every system.
int errnoOfWindowsError(unsigned long code) {
    switch (code) {
    case 2: // ERROR_FILE_NOT_FOUND
    case 3: // ERROR_PATH_NOT_FOUND
        return ENOENT;
    case 5: // ERROR_ACCESS_DENIED
        return EACCES;
    case 19: // ERROR_WRITE_PROTECT
        return EROFS;
    case 32: // ERROR_SHARING_VIOLATION
    case 33: // ERROR_LOCK_VIOLATION
        return EBUSY;
    case 39:  // ERROR_HANDLE_DISK_FULL
    case 112: // ERROR_DISK_FULL
        return ENOSPC;
    case 23:   // ERROR_CRC
    case 29:   // ERROR_WRITE_FAULT
    case 30:   // ERROR_READ_FAULT
    case 1117: // ERROR_IO_DEVICE
        return EIO;
    case 206: // ERROR_FILENAME_EXCED_RANGE
        return ENAMETOOLONG;
    default:
        return 0;
    }
}
