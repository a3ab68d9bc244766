#include "Store.h"

#include "postgres/ServiceFile.h"

#include <QDir>
#include <QFileInfo>

Store Store::file(QString path) {
    QString folder = QFileInfo(path).absolutePath();
    return Store(Kind::File, std::move(path), std::move(folder));
}

Store Store::server(QString service, QString dataFolder) {
    return Store(Kind::Server, std::move(service), std::move(dataFolder));
}

Store Store::choose(const QString& filePath, const QString& service) {
    return ServiceFile::find(service) ? server(service, QFileInfo(filePath).absolutePath())
                                      : file(filePath);
}

QString Store::notePath(const QString& name) const {
    if (m_kind == Kind::File)
        return m_location + u'-' + name;
    return QDir(m_dataFolder).filePath(QStringLiteral("kvz-%1-%2").arg(m_location, name));
}
