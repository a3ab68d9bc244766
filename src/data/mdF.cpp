#include "mdF.h"

#include "Cp1251.h"

#include <QFile>
#include <QSaveFile>

namespace mdF {

QString TestTitle;

namespace {

Status writeTitleLine(const QString& title) {
    QSaveFile file(kTitleFile);
    // A folder we may not create files in can still hold a writable title.ini.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(cp1251::encode(title) + "\r\n") < 0 ||
        !file.commit()) {
        return Status::failure(QStringLiteral("Не удалось записать заголовок теста в файл «%1»: %2")
                                   .arg(kTitleFile, file.errorString()));
    }
    return Status::success();
}

} // namespace

Status LoadTitle() {
    QFile file(kTitleFile);
    if (!file.open(QIODevice::ReadOnly)) {
        TestTitle = kDefaultTitle;
        return Status::failure(
            QStringLiteral("Не удалось прочитать заголовок теста из файла «%1»: %2. "
                           "Используется заголовок «%3».")
                .arg(kTitleFile, file.errorString(), kDefaultTitle));
    }
    const QByteArray content = file.readAll();
    if (content.isEmpty()) {
        TestTitle = kDefaultTitle;
        return Status::failure(QStringLiteral("Файл «%1» пуст. Используется заголовок «%2».")
                                   .arg(kTitleFile, kDefaultTitle));
    }
    // A line ends at CR; a lone LF (a file saved by a Linux editor) ends it too.
    qsizetype end = 0;
    while (end < content.size() && content[end] != '\r' && content[end] != '\n')
        ++end;
    TestTitle = cp1251::decode(content.left(end));
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
