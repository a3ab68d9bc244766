#include "ResultsCsv.h"

#include "DataEnvironment1.h"
#include "ReportText.h"

#include <QDir>
#include <QSaveFile>

namespace report {

namespace {

const QByteArray kByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

// A text cell a spreadsheet would read as a formula (a student may type "=..." as a name) is
// kept a text by a leading apostrophe.
bool readsAsFormula(const QString& text) {
    return !text.isEmpty() && QStringLiteral("=+-@\t\r").contains(text.front());
}

QString quoted(QString text) {
    if (readsAsFormula(text))
        text.prepend(u'\'');
    text.replace(u'"', QStringLiteral("\"\""));
    return u'"' + text + u'"';
}

QString cell(const QVariant& value) {
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QString)
        return quoted(value.toString());
    return valueText(value);
}

void appendLine(QString& text, const QStringList& cells) {
    text += cells.join(u';');
    text += QStringLiteral("\r\n");
}

QString fileFailure(const QString& fileName, const QString& why) {
    return QStringLiteral("Не удалось сохранить результаты в файл «%1»: %2 Результаты не "
                          "сохранены.")
        .arg(QDir::toNativeSeparators(fileName), why);
}

// Written beside the target and renamed over it once complete. Unbuffered, so that a write
// the disk cut short is seen here: a buffered one is flushed by commit(), which takes a short
// write for success and would put half a file in place.
Status writeWhole(const QString& fileName, const QByteArray& bytes) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Status::failure(
            fileFailure(fileName, QStringLiteral("папка не найдена или закрыта для записи.")));
    if (file.write(bytes) != bytes.size())
        file.cancelWriting(); // commit() then removes what was written
    if (!file.commit())
        return Status::failure(fileFailure(
            fileName, QStringLiteral("файл не записан до конца — возможно, на диске нет места.")));
    return Status::success();
}

} // namespace

QByteArray resultsCsv(const QStringList& header, const ReportRows& rows) {
    QString text;
    QStringList cells;
    for (const QString& name : header)
        cells << quoted(name);
    appendLine(text, cells);
    for (int row = 0; row < rows.rowCount(); ++row) {
        cells.clear();
        for (int column = 0; column < rows.columnCount(); ++column)
            cells << cell(rows.value(row, column));
        appendLine(text, cells);
    }
    return kByteOrderMark + text.toUtf8();
}

Status saveResultsCsv(const Store& store, const QString& fileName) {
    ReportRows rows;
    const Status status = DataEnvironment1::Command1(store, rows);
    if (!status.ok())
        return Status::failure(status.error + QStringLiteral(" Результаты не сохранены."));
    return writeWhole(fileName, resultsCsv(DataEnvironment1::Command1Fields, rows));
}

} // namespace report
