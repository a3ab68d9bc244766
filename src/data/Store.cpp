#include "Store.h"

#include "postgres/ServiceFile.h"

Store Store::file(QString path) {
    return Store(Kind::File, std::move(path));
}

Store Store::server(QString service) {
    return Store(Kind::Server, std::move(service));
}

Store Store::choose(const QString& filePath, const QString& service) {
    return ServiceFile::find(service) ? server(service) : file(filePath);
}
