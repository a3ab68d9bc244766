#pragma once

// What the fault-injection test and its child program agree on: each student's name, how he
// answers, and how many steps one program run of the road has.
#include <QString>

namespace killedRoad {

// The start window, its OK, the sign-in, ten questions, the result screen and its OK.
constexpr int kStepsPerStudent = 15;

inline QString studentName(int student) {
    return QStringLiteral("Ученик %1").arg(student, 4, 10, QChar(u'0'));
}

// The ten outcomes of a student, "1" for a right answer; a different pattern for each of the
// first 1024 students, so a result written on another student's row shows.
inline QString plan(int student) {
    const int bits = (student * 0x3B5 + 0x155) & 0x3FF; // odd factor: one to one
    QString outcomes;
    for (int q = 0; q < 10; ++q)
        outcomes += (bits >> q) & 1 ? u'1' : u'0';
    return outcomes;
}

} // namespace killedRoad
