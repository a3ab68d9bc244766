#pragma once

#include <QString>

// The outcome of a data-layer operation: empty on success, otherwise a message in Russian
// that names the file and the problem, for the window to show.
struct Status {
    QString error;

    bool ok() const { return error.isEmpty(); }
    static Status success() { return {}; }
    static Status failure(const QString& message) { return {message}; }
};
