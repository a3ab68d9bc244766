#pragma once

#include <QString>

class QLineEdit;

// Characters as a person sees them (grapheme clusters): a letter with its accents, an emoji with
// its skin tone or the parts it is joined from, one character each however many code units it
// takes. A limit counts these, and a cut never splits one.
struct Characters {
    qsizetype total = 0;
    qsizetype end = 0; // where the first `count` of them end
};
Characters characters(const QString& text, qsizetype count);

// The box holds at most `limit` characters from now on: what is typed or pasted past it is cut
// between two characters, the caret staying where it was as far as the text reaches.
void limitCharacters(QLineEdit* box, int limit);
