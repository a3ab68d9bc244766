#include "FontConfiguration.h"

#include <QFont>
#include <QStringList>

#ifdef KVZ_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>

// A failed reading is left to Qt, which reads the configuration again and reports it.
FontConfigurationReading::FontConfigurationReading() : m_reading([] { FcInit(); }) {}
#else
// Windows keeps its fonts in the system, known before the program starts.
FontConfigurationReading::FontConfigurationReading() = default;
#endif

FontConfigurationReading::~FontConfigurationReading() {
    finish();
}

void FontConfigurationReading::finish() {
    if (m_reading.joinable())
        m_reading.join();
}

void substituteNamedFonts() {
#ifdef Q_OS_WIN
    // Qt takes a substitute only where the named font is missing: in order, the faces that read
    // most alike and are on most PCs, then those a Linux system lends to Wine.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"),
                                QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"),
                                QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma")});
    QFont::insertSubstitutions(QStringLiteral("MS Serif"),
                               {QStringLiteral("Times New Roman"), QStringLiteral("DejaVu Serif"),
                                QStringLiteral("Liberation Serif")});
#else
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    // The grid's cells are 9 pixels high: a serif of large x-height reads there as the bitmap face.
    QFont::insertSubstitution(QStringLiteral("MS Serif"), QStringLiteral("DejaVu Serif"));
#endif
}
