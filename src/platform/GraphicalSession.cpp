#include "GraphicalSession.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace {

QtMessageHandler g_previous = nullptr;
QList<QByteArray> g_held; // the window system's messages while the application object is made
bool g_noDisplay = false;

bool isWindowSystems(const QMessageLogContext& context) {
    return context.category && qstrncmp(context.category, "qt.qpa", 6) == 0;
}

void sayNoGraphicalSession() {
    const QByteArray display = qgetenv("DISPLAY"), wayland = qgetenv("WAYLAND_DISPLAY");
    const QString where =
        display.isEmpty() && wayland.isEmpty()
            ? QStringLiteral("переменные DISPLAY и WAYLAND_DISPLAY не заданы")
            : QStringLiteral("дисплей «%1» не отвечает")
                  .arg(QString::fromLocal8Bit(display.isEmpty() ? wayland : display));
    std::fprintf(
        stderr, "%s\n",
        qPrintable(QStringLiteral("kvz: программе «Тест КВЗ» нужен графический сеанс (%1). "
                                  "Запустите её с рабочего стола или из терминала на нём.")
                       .arg(where)));
}

void handler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg && message.contains(QLatin1String("no Qt platform plugin could be"))) {
        if (g_noDisplay) {
            sayNoGraphicalSession();
            std::_Exit(EXIT_FAILURE);
        }
        for (const QByteArray& held : std::as_const(g_held))
            std::fprintf(stderr, "%s\n", held.constData());
    }
    if (!isWindowSystems(context) || type == QtFatalMsg)
        return g_previous(type, context, message);
    g_noDisplay = g_noDisplay || message.contains(QLatin1String("could not connect to display")) ||
                  message.contains(QLatin1String("Failed to create wl_display"));
    g_held << qFormatLogMessage(type, context, message).toLocal8Bit();
}

} // namespace

GraphicalSessionCheck::GraphicalSessionCheck() {
    g_previous = qInstallMessageHandler(handler);
}

GraphicalSessionCheck::~GraphicalSessionCheck() {
    qInstallMessageHandler(g_previous);
    for (const QByteArray& held : std::as_const(g_held))
        std::fprintf(stderr, "%s\n", held.constData());
    g_held.clear();
}
