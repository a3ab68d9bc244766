#include "CsvFile.h"

#include <QDir>
#include <QSaveFile>

namespace csv {

namespace {

const QByteArray kByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

bool readsAsFormula(const QString& text) {
    return !text.isEmpty() && QStringLiteral("=+-@\t\r").contains(text.front());
}

QString fileFailure(const QString& fileName, const QString& why, const QString& what) {
    return QStringLiteral("Не удалось сохранить в файл «%1»: %2 %3 не сохранены.")
        .arg(QDir::toNativeSeparators(fileName), why, what);
}

} // namespace

QString quoted(QString text) {
    if (readsAsFormula(text))
        text.prepend(u'\'');
    text.replace(u'"', QStringLiteral("\"\""));
    return u'"' + text + u'"';
}

void appendLine(QString& text, const QStringList& cells) {
    text += cells.join(u';');
    text += QStringLiteral("\r\n");
}

QByteArray bytes(const QString& text) {
    return kByteOrderMark + text.toUtf8();
}

// Written beside the target and renamed over it once complete. Unbuffered, so that a write
// the disk cut short is seen here: a buffered one is flushed by commit(), which takes a short
// write for success and would put half a file in place.
Status writeWhole(const QString& fileName, const QByteArray& bytes, const QString& what) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Status::failure(fileFailure(
            fileName, QStringLiteral("папка не найдена или закрыта для записи."), what));
    if (file.write(bytes) != bytes.size())
        file.cancelWriting(); // commit() then removes what was written
    if (!file.commit())
        return Status::failure(fileFailure(
            fileName, QStringLiteral("файл не записан до конца — возможно, на диске нет места."),
            what));
    return Status::success();
}

} // namespace csv
