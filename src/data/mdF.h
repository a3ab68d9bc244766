#pragma once

#include "Status.h"

#include <QString>
#include <functional>
#include <optional>

// The shared module with the test's title, kept in "title.ini" in the current directory.
namespace mdF {

extern QString TestTitle;

inline const QString kTitleFile = QStringLiteral("title.ini");
inline const QString kDefaultTitle = QStringLiteral("Тест КВЗ");
// The longest title a caption takes, in characters (one byte each in the file).
constexpr int kTitleMaxLength = 255;

// Reads the first line of the title file into TestTitle, at most kTitleMaxLength characters of
// it. A file that cannot be read, is not a regular file or holds no line at all leaves the
// default title in TestTitle and says why; a longer line is shortened, and that is said too.
Status LoadTitle();

// Writes the default title as the file's only line and sets TestTitle to it.
Status CreateTitleFile();

// Asks for a new title (the answer is empty when the teacher cancels) and writes it as the
// file's only line; TestTitle keeps its value until the next LoadTitle.
using AskTitle =
    std::function<std::optional<QString>(const QString& prompt, const QString& caption)>;
Status EditTitle(const AskTitle& ask);

// The prompt of EditTitle for the current TestTitle.
QString editTitlePrompt();

} // namespace mdF
