#include "FileProblem.h"

#include <QFileInfo>
#include <QStorageInfo>
#include <cerrno>

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
