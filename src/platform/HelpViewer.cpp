#include "HelpViewer.h"

#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpViewer::HelpViewer() : m_browser(new QTextBrowser(this)) {
    setWindowTitle(QStringLiteral("Справка"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    m_browser->setOpenLinks(true);
    resize(640, 480);
}

bool HelpViewer::open(const QString& path, int context) {
    if (path != m_path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        m_browser->setHtml(QString::fromUtf8(file.readAll()));
        m_path = path;
    }
    if (context > 0)
        m_browser->scrollToAnchor(QString::number(context));
    else
        m_browser->scrollToAnchor(QStringLiteral("contents"));
    show();
    raise();
    activateWindow();
    return true;
}
