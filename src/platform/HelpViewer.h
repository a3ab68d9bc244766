#pragma once

#include <QHash>
#include <QWidget>

class QTextBrowser;
class QUrl;

// Shows the help file one topic at a time, so each topic opens with its own text and never
// with its neighbour's. The file is HTML whose topics are <section id="N"> blocks, N the topic's
// number or "contents"; a link "#N" opens topic N.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    HelpViewer();
    // Shows `context` (0, or a topic the file lacks: the contents); false when the file cannot
    // be read or holds no topic.
    bool open(const QString& path, int context);

private:
    void showTopic(const QString& id);
    void linkClicked(const QUrl& link);

    QTextBrowser* m_browser;
    QString m_path;
    QHash<QString, QString> m_topics;
    QString m_firstTopic;
};
