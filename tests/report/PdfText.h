#pragma once

// Reads a PDF back with pdftotext -bbox: every word with its page and box in points.

#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <algorithm>

struct PdfWord {
    QString text;
    int page = 0; // from 1
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    double xCentre() const { return (xMin + xMax) / 2; }
    double yCentre() const { return (yMin + yMax) / 2; }
};

inline QList<PdfWord> pdfWords(const QString& pdfFile) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-bbox"), pdfFile, QStringLiteral("-")});
    process.waitForFinished(60000);
    QList<PdfWord> words;
    QXmlStreamReader xml(process.readAllStandardOutput());
    int page = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("page")) {
            ++page;
        } else if (xml.name() == QLatin1String("word")) {
            const auto a = xml.attributes();
            PdfWord w;
            w.page = page;
            w.xMin = a.value(QLatin1String("xMin")).toDouble();
            w.yMin = a.value(QLatin1String("yMin")).toDouble();
            w.xMax = a.value(QLatin1String("xMax")).toDouble();
            w.yMax = a.value(QLatin1String("yMax")).toDouble();
            w.text = xml.readElementText();
            words << w;
        }
    }
    return words;
}

inline int pdfPageCount(const QList<PdfWord>& words) {
    int pages = 0;
    for (const PdfWord& w : words)
        pages = std::max(pages, w.page);
    return pages;
}

// The words of one page whose centre lies in the box (points), in reading order.
inline QStringList wordsIn(const QList<PdfWord>& words, int page, double left, double top,
                           double right, double bottom) {
    QList<PdfWord> found;
    for (const PdfWord& w : words) {
        if (w.page == page && w.xCentre() >= left && w.xCentre() <= right && w.yCentre() >= top &&
            w.yCentre() <= bottom)
            found << w;
    }
    std::sort(found.begin(), found.end(), [](const PdfWord& a, const PdfWord& b) {
        return std::abs(a.yMin - b.yMin) > 1 ? a.yMin < b.yMin : a.xMin < b.xMin;
    });
    QStringList texts;
    for (const PdfWord& w : found)
        texts << w.text;
    return texts;
}

// The text of the whole document, its words joined by blanks.
inline QString pdfText(const QList<PdfWord>& words) {
    QStringList texts;
    for (const PdfWord& w : words)
        texts << w.text;
    return texts.join(u' ');
}
