#include "Characters.h"

#include <QLineEdit>
#include <QTextBoundaryFinder>
#include <algorithm>

Characters characters(const QString& text, qsizetype count) {
    Characters found;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype next = finder.toNextBoundary(); next >= 0; next = finder.toNextBoundary()) {
        if (++found.total <= count)
            found.end = next;
    }
    return found;
}

void limitCharacters(QLineEdit* box, int limit) {
    // The box's own limit counts code units and would cut through a character.
    box->setMaxLength(32767);
    QObject::connect(box, &QLineEdit::textChanged, box, [box, limit](const QString& text) {
        const Characters counted = characters(text, limit);
        if (counted.total <= limit)
            return;
        const int caret = int(std::min<qsizetype>(box->cursorPosition(), counted.end));
        box->setText(text.left(counted.end));
        box->setCursorPosition(caret);
    });
}
