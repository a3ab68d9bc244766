#pragma once

#include <QString>

// What a file was wanted for when the system refused it.
enum class FileUse { Read, Write };

// Why the system refused a file, in our own Russian words ("файл не найден", "это папка, а не
// файл", "нет прав доступа", "диск доступен только для чтения", "на диске нет места", "файл
// занят другой программой"), never the system's English text. The file, its folder and its
// disk are looked at; `systemError` is the system's error number (errno) when the caller has
// it fresh, else 0.
QString fileProblem(const QString& path, FileUse use, int systemError = 0);

// SQLite's system error on Windows is GetLastError()'s code: the errno meaning the same, else 0.
int errnoOfWindowsError(unsigned long code);
