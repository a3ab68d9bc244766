#pragma once

#include <QWidget>

class QTextBrowser;

// Shows the help file (HTML whose topics are anchors named by their numbers) at a topic.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    HelpViewer();
    bool open(const QString& path, int context);

private:
    QTextBrowser* m_browser;
    QString m_path;
};
