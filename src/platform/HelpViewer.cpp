#include "HelpViewer.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {
const QString kContents = QStringLiteral("contents");
} // namespace

HelpViewer::HelpViewer() : m_browser(new QTextBrowser(this)) {
    setWindowTitle(QStringLiteral("Справка"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    m_browser->setOpenLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpViewer::linkClicked);
    resize(640, 480);
}

bool HelpViewer::open(const QString& path, int context) {
    if (path != m_path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        static const QRegularExpression section(
            QStringLiteral(R"re(<section\s+id="([^"]+)"\s*>(.*?)</section>)re"),
            QRegularExpression::DotMatchesEverythingOption);
        m_topics.clear();
        m_firstTopic.clear();
        for (const auto& match : section.globalMatch(QString::fromUtf8(file.readAll()))) {
            m_topics.insert(match.captured(1), match.captured(2));
            if (m_firstTopic.isEmpty())
                m_firstTopic = match.captured(1);
        }
        if (m_topics.isEmpty())
            return false;
        m_path = path;
    }
    showTopic(QString::number(context));
    show();
    raise();
    activateWindow();
    return true;
}

void HelpViewer::showTopic(const QString& id) {
    const QString shown = m_topics.contains(id)          ? id
                          : m_topics.contains(kContents) ? kContents
                                                         : m_firstTopic;
    m_browser->setHtml(m_topics.value(shown));
}

void HelpViewer::linkClicked(const QUrl& link) {
    // Only links between topics: the help file leads nowhere else.
    if (link.isRelative() && link.path().isEmpty() && link.hasFragment())
        showTopic(link.fragment());
}
