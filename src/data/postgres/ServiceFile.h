#pragma once

#include <QFileDevice>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

// libpq's connection service files, read the way libpq reads them: the user's file
// (PGSERVICEFILE, else ~/.pg_service.conf) first, then the system's (pg_service.conf in
// PGSYSCONFDIR, else in Debian's /etc/postgresql-common). The first file that defines a
// service is the one that counts.
namespace ServiceFile {

struct Entry {
    QString file;                   // where the service is defined
    QMap<QString, QString> options; // host, port, dbname, user, password, ...
};

// The files in the order libpq looks at them.
QStringList searchPath();
// The system's file, where the program's set-up tool writes a PC's entry.
QString systemFile();
std::optional<Entry> find(const QString& service);
// The group `service` of `file` alone.
std::optional<Entry> findIn(const QString& file, const QString& service);

// The server's name as a person knows it: the entry's host (this PC's for a local socket's
// folder), else libpq's default.
QString hostOf(const Entry& entry);

// Replaces (or adds) the group `service` of `file` with `options`, keeping every other line;
// the file is written whole or not at all, with `permissions` when given (else those it had).
// An empty string on success, else why not.
QString write(const QString& file, const QString& service, const QMap<QString, QString>& options,
              QFileDevice::Permissions permissions = {});
// Takes the group `service` out of `file`.
QString remove(const QString& file, const QString& service);

// The lines of a text file (none when it cannot be read), and a file written whole from them,
// as above: libpq's other files (.pgpass) and the set-up tool's are written the same way.
QStringList lines(const QString& file);
QString writeLines(const QString& file, const QStringList& content,
                   QFileDevice::Permissions permissions = {});

} // namespace ServiceFile
