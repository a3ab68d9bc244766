#pragma once

#include <thread>

// Reading the system's font configuration (some fifty files of XML) is the largest single cost of
// showing the first window. Started before the application connects to its display, it runs on
// another core while the connection waits on the display server, and the first text laid out
// finds it read. finish() before the first window is shown: Qt reading it at the same time would
// read it a second time.
class FontConfigurationReading {
public:
    FontConfigurationReading();
    ~FontConfigurationReading();
    FontConfigurationReading(const FontConfigurationReading&) = delete;
    FontConfigurationReading& operator=(const FontConfigurationReading&) = delete;

    void finish();

private:
    std::thread m_reading;
};

// Where a font the windows name (MS Sans Serif, MS Serif, Arial) is missing, one that reads alike.
void substituteNamedFonts();
