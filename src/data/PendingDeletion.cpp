#include "PendingDeletion.h"

#include "FileProblem.h"
#include "TableRows.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

PendingDeletion::PendingDeletion(const Database& db, QString table)
    : m_db(db), m_table(std::move(table)), m_path(db.store().notePath(QStringLiteral("deleting"))) {
}

Status PendingDeletion::begin(qint64 lastKey) const {
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray::number(lastKey) + '\n') < 0 ||
        !file.commit())
        return Status::failure(
            QStringLiteral("Не удалось записать файл «%1»: %2. Если удаление записей прервётся, "
                           "программа не сможет напомнить, что оно не закончено.")
                .arg(QDir::toNativeSeparators(m_path), fileProblem(m_path, FileUse::Write)));
    return Status::success();
}

void PendingDeletion::end() const {
    QFile::remove(m_path);
}

std::optional<qint64> PendingDeletion::lastKey() const {
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    bool ok = false;
    const qint64 key = file.readLine(32).trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(key) : std::nullopt;
}

Status PendingDeletion::rowsRemain(qint64 firstKey, bool& remain) const {
    remain = false;
    const std::optional<qint64> last = lastKey();
    if (!last)
        return Status::success();
    QVector<qint64> keys;
    const Status status = TableRows(m_table, {}).keysAfter(m_db, firstKey, 1, keys, *last);
    remain = !keys.isEmpty();
    return status;
}
