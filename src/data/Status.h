#pragma once

#include <QString>

// The outcome of a data-layer operation: empty on success, otherwise a message in Russian
// that names the file and the problem, for the window to show, and why it failed: a store that
// does not answer may answer later; one that answers and refuses does not take the same again
// until someone mends it; and a refusal for good never changes.
struct Status {
    enum class Cause { Unanswered, Refused, RefusedForGood };

    QString error;
    Cause cause = Cause::Unanswered;

    bool ok() const { return error.isEmpty(); }
    static Status success() { return {}; }
    static Status failure(const QString& message, Cause cause = Cause::Unanswered) {
        return {message, cause};
    }
};
