#pragma once

#include "Database.h"
#include "Status.h"

#include <QDateTime>
#include <QString>
#include <array>

// What the program keeps of each test beside Rezultat, in two tables of its own (the same on
// both stores; Rezultat and Zadanie keep their fields as they are):
//
//   kvz_attempt (attempt TEXT PRIMARY KEY, "Код" BIGINT NOT NULL, name TEXT NOT NULL,
//                began TEXT NOT NULL, finished TEXT)
//     one row per sign-in: the attempt's identity (on the server also its secret, which only
//     the teacher's role reads), the Rezultat row that holds its result, the name as signed in,
//     when the student signed in and when the tenth answer was given (NULL while the student is
//     still writing). Times are UTC in ISO 8601 with milliseconds ("2026-12-08T15:07:16.123Z"),
//     so that they compare as text on either store.
//   kvz_answer (attempt TEXT NOT NULL, question INTEGER NOT NULL, ticks INTEGER NOT NULL,
//               wording TEXT NOT NULL, PRIMARY KEY (attempt, question))
//     per finished attempt and question number 1..10: the options ticked (bit 0 option 1 ...
//     bit 3 option 4) and the digest of the question as the student saw it (wordingDigest).
//
// A database without them (made by an older program) works as before: its rows simply have no
// attempt.
namespace AttemptTables {

inline const QString kAttempts = QStringLiteral("kvz_attempt");
inline const QString kAnswers = QStringLiteral("kvz_answer");

// The statements that make both tables (and the indexes that find a row's attempts and count
// the options chosen in the order of an index) where they are missing; the same text serves
// both engines.
QString createStatements();
// Makes them on `db` when missing (the file gets them at its first sign-in; the server from
// its set-up).
Status ensure(const Database& db);

// The identity of a question's wording: its text, its four options and its key. Results given
// to another wording are not mixed with the current one. The server computes the same digest
// in SQL: md5 of the UTF-8 text of the parts joined by the unit separator U+001F, the key
// written as four characters "1"/"0" (options 1 to 4); an empty field counts as empty text.
QString wordingDigest(const QString& text, const std::array<QString, 4>& options,
                      const std::array<bool, 4>& key);

// Delete-all's end: the attempts of the rows it deleted or blanked (keys up to `lastKey`) and
// their ticks go, both at once; rows signed in after it began stay. A database without the
// tables has nothing to forget.
Status forgetResults(const Database& db, qint64 lastKey);

// A time as the tables keep it.
QString timeText(const QDateTime& time);

} // namespace AttemptTables
