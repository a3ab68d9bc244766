#include "mdF.h"

#include "Cp1251.h"
#include "FileProblem.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace mdF {

QString TestTitle;

namespace {

Status titleFailure(const QString& problem) {
    return Status::failure(QStringLiteral("Не удалось прочитать заголовок теста из файла «%1»: %2. "
                                          "Используется заголовок «%3».")
                               .arg(kTitleFile, problem, kDefaultTitle));
}

// Opens the title file for reading only when it is a regular file: a pipe or a device in its
// place would make the program wait for ever, so it is refused before anything is read.
Status openRegularFile(QFile& file) {
#ifdef Q_OS_UNIX
    const int fd =
        ::open(QFile::encodeName(kTitleFile).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return titleFailure(fileProblem(kTitleFile, FileUse::Read, errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return titleFailure(fileProblem(kTitleFile, FileUse::Read));
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return titleFailure(fileProblem(kTitleFile, FileUse::Read));
    }
#else
    file.setFileName(kTitleFile);
    if (!QFileInfo(kTitleFile).isFile() || !file.open(QIODevice::ReadOnly))
        return titleFailure(fileProblem(kTitleFile, FileUse::Read));
#endif
    return Status::success();
}

Status writeTitleLine(const QString& title) {
    // Anything but a regular file in its place is left alone: writing into a pipe would wait.
    const QFileInfo existing(kTitleFile);
    QString problem;
    if (existing.exists() && !existing.isFile())
        problem = fileProblem(kTitleFile, FileUse::Write);
    if (problem.isEmpty()) {
        QSaveFile file(kTitleFile);
        // A folder we may not create files in can still hold a writable title.ini.
        file.setDirectWriteFallback(true);
        errno = 0;
        if (file.open(QIODevice::WriteOnly) && file.write(cp1251::encode(title) + "\r\n") >= 0 &&
            file.commit())
            return Status::success();
        problem = fileProblem(kTitleFile, FileUse::Write, errno);
    }
    return Status::failure(QStringLiteral("Не удалось записать заголовок теста в файл «%1»: %2.")
                               .arg(kTitleFile, problem));
}

} // namespace

Status LoadTitle() {
    TestTitle = kDefaultTitle;
    QFile file;
    if (Status opened = openRegularFile(file); !opened.ok())
        return opened;
    // Only the first line counts: what lies beyond the longest title is never read.
    const QByteArray start = file.read(kTitleMaxLength + 1);
    if (start.isEmpty())
        return Status::failure(QStringLiteral("Файл «%1» пуст. Используется заголовок «%2».")
                                   .arg(kTitleFile, kDefaultTitle));
    // A line ends at CR; a lone LF (a file saved by a Linux editor) ends it too.
    qsizetype end = 0;
    while (end < start.size() && start[end] != '\r' && start[end] != '\n')
        ++end;
    TestTitle = cp1251::decode(start.left(std::min<qsizetype>(end, kTitleMaxLength)));
    if (end > kTitleMaxLength)
        return Status::failure(QStringLiteral("Заголовок теста в файле «%1» длиннее %2 знаков: "
                                              "показаны первые %2.")
                                   .arg(kTitleFile)
                                   .arg(kTitleMaxLength));
    return Status::success();
}

Status CreateTitleFile() {
    TestTitle = kDefaultTitle;
    return writeTitleLine(kDefaultTitle);
}

QString editTitlePrompt() {
    return QStringLiteral("Измените это название ") + u'\'' + TestTitle + u'\'' +
           QStringLiteral(" по своему усмотрению");
}

Status EditTitle(const AskTitle& ask) {
    const std::optional<QString> title = ask(editTitlePrompt(), QStringLiteral("Редактирование"));
    if (!title)
        return Status::success();
    return writeTitleLine(*title);
}

} // namespace mdF
