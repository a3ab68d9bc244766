// The results report with 10,000 results: the query, the whole report to PDF, and the
// preview's first page. Prints times and the process's peak memory; asserts nothing.
#include "DataEnvironment1.h"
#include "DataReport1.h"
#include "DataReport1Sections.h"
#include "Forms.h"
#include "ReportRenderer.h"
#include "ScriptedPlatform.h"
#include "TestDatabase.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPdfWriter>
#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int kRows = 10000;

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QString manyResults() {
    QString sql = QStringLiteral("DELETE FROM Rezultat; BEGIN;");
    for (int i = 0; i < kRows; ++i) {
        const int right = (i * 7) % 11;
        QStringList flags;
        for (int k = 0; k < 10; ++k)
            flags << (k < right ? QStringLiteral("-1") : QStringLiteral("0"));
        sql +=
            QStringLiteral("INSERT INTO Rezultat VALUES (NULL, 'Ученик%1 Имя Отчество', %2, %3);")
                .arg((i * 7919) % kRows, 5, 10, QChar(u'0'))
                .arg(flags.join(u','))
                .arg(std::min(right, 10) * 10);
    }
    return sql + QStringLiteral("COMMIT;");
}

void print(const char* what, qint64 ms) {
    std::printf("%-40s %6lld ms\n", what, static_cast<long long>(ms));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    TestDatabase db(manyResults());
    const long baseline = peakKilobytes();
    QElapsedTimer timer;

    timer.start();
    report::ReportRows rows;
    const Status status = DataEnvironment1::Command1(db.store(), rows);
    if (!status.ok()) {
        std::printf("query failed: %s\n", qPrintable(status.error));
        return 1;
    }
    print("query, 10000 rows", timer.elapsed());
    const long afterQuery = peakKilobytes();

    timer.restart();
    const report::ReportRenderer renderer(DataReport1Definition(), std::move(rows));
    const QString file = db.folder() + QStringLiteral("/bench.pdf");
    QPdfWriter writer(file);
    writer.setPageLayout(renderer.defaultPageLayout());
    renderer.print(writer);
    const qint64 pdfMs = timer.elapsed();
    print("whole report to PDF", pdfMs);
    std::printf("%-40s %6lld pages, %lld KB\n", "PDF file",
                static_cast<long long>(
                    renderer.pages(report::ReportRenderer::bodyHeight(renderer.defaultPageLayout()))
                        .size()),
                static_cast<long long>(QFileInfo(file).size() / 1024));
    const long afterPdf = peakKilobytes();

    ScriptedPlatform platform;
    Forms forms(platform, db.store());
    forms.add(std::make_unique<DataReport1>(forms));
    timer.restart();
    forms.Show(QStringLiteral("DataReport1"));
    forms.get<DataReport1>(QStringLiteral("DataReport1")).widget()->grab();
    print("preview: query and first page drawn", timer.elapsed());

    std::printf("%-40s %6ld KB\n", "peak memory before the query", baseline);
    std::printf("%-40s %6ld KB (+%ld)\n", "peak memory after the query", afterQuery,
                afterQuery - baseline);
    std::printf("%-40s %6ld KB (+%ld)\n", "peak memory after the PDF", afterPdf,
                afterPdf - afterQuery);
    return 0;
}
