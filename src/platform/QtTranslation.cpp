#include "QtTranslation.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

QString installQtTranslation(QCoreApplication& app) {
    // Qt words some texts by the default locale (the file types in the save dialog).
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ru"), folder) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return QStringLiteral("Не найден русский перевод Qt «qtbase_ru.qm» в папке «%1»: "
                              "стандартные окна Qt будут на английском.")
            .arg(QDir::toNativeSeparators(folder));
    }
    return {};
}
