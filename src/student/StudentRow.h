#pragma once

#include <QtGlobal>
#include <optional>

class DataControl;

// The student's own row of Rezultat, shared by the student's windows. The sign-in stores the row
// before the test starts and keeps its key, so that the answers land on that row whatever other
// rows are added meanwhile; without a key (the result screen opened from the start window) the
// last row stands for it.
struct StudentRow {
    std::optional<qint64> key;
    // The test has ended and its outcomes are not yet in the file (a lock, a full disk).
    bool resultPending = false;

    // Makes the student's row current on `data`, a record source on Rezultat.
    bool moveTo(DataControl& data) const;
};
