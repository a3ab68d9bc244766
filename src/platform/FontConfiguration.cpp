#include "FontConfiguration.h"

#include <fontconfig/fontconfig.h>

// A failed reading is left to Qt, which reads the configuration again and reports it.
FontConfigurationReading::FontConfigurationReading() : m_reading([] { FcInit(); }) {}

FontConfigurationReading::~FontConfigurationReading() {
    finish();
}

void FontConfigurationReading::finish() {
    if (m_reading.joinable())
        m_reading.join();
}
