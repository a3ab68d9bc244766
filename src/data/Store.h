#pragma once

#include <QString>

// Where the test's tables live: the database file at the fixed path (one PC), or the class's
// server, reached through a libpq connection service (every PC of a lab delivers to one place).
// Windows and the record source hold a store and never ask which kind it is; only the data
// layer opens it.
class Store {
public:
    enum class Kind { File, Server };

    static Store file(QString path);
    // `dataFolder` is this PC's folder for the program's own files about the store.
    static Store server(QString service, QString dataFolder);
    // The server when libpq's connection service `service` is defined in one of its standard
    // service files, else the file at `filePath`; the file's folder is the PC's data folder.
    static Store choose(const QString& filePath, const QString& service = QStringLiteral("kvz"));

    Kind kind() const { return m_kind; }
    // The file's path, or the service's name.
    const QString& location() const { return m_location; }
    // A file of the program's own about this store on this PC, named `name`: beside the
    // database file, or in the PC's data folder (a delete-all's note, the results not yet
    // delivered).
    QString notePath(const QString& name) const;
    bool operator==(const Store& other) const = default;

private:
    Store(Kind kind, QString location, QString dataFolder)
        : m_kind(kind), m_location(std::move(location)), m_dataFolder(std::move(dataFolder)) {}

    Kind m_kind;
    QString m_location;
    QString m_dataFolder;
};
