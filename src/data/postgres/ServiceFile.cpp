#include "ServiceFile.h"

#include "FileProblem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString groupName(const QString& line) {
    return line.startsWith(u'[') && line.endsWith(u']') ? line.mid(1, line.size() - 2).trimmed()
                                                        : QString();
}

QString environment(const char* name) {
    return qEnvironmentVariable(name);
}

// Every line but the group `service`, without blank lines at the end.
QStringList linesWithout(const QString& file, const QString& service) {
    QStringList kept;
    bool inGroup = false;
    for (const QString& line : ServiceFile::lines(file)) {
        if (const QString group = groupName(line.trimmed()); !group.isEmpty())
            inGroup = group == service;
        if (!inGroup)
            kept << line;
    }
    while (!kept.isEmpty() && kept.last().trimmed().isEmpty())
        kept.removeLast();
    return kept;
}

} // namespace

namespace ServiceFile {

QStringList lines(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(in.readAll()).split(u'\n');
}

QString writeLines(const QString& file, const QStringList& content,
                   QFileDevice::Permissions permissions) {
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || (permissions && !out.setPermissions(permissions)) ||
        out.write(content.join(u'\n').toUtf8() + '\n') < 0 || !out.commit())
        return fileProblem(file, FileUse::Write);
    return {};
}

std::optional<Entry> findIn(const QString& file, const QString& service) {
    std::optional<Entry> entry;
    for (const QString& raw : lines(file)) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (const QString group = groupName(line); !group.isEmpty()) {
            if (entry)
                break; // the group ends where the next one starts
            if (group == service)
                entry = Entry{file, {}};
            continue;
        }
        if (const qsizetype eq = line.indexOf(u'='); entry && eq > 0)
            entry->options.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return entry;
}

QString systemFile() {
    const QString folder = environment("PGSYSCONFDIR");
    return QDir(folder.isEmpty() ? QStringLiteral("/etc/postgresql-common") : folder)
        .filePath(QStringLiteral("pg_service.conf"));
}

QStringList searchPath() {
    const QString user = environment("PGSERVICEFILE");
    return {user.isEmpty() ? QDir::home().filePath(QStringLiteral(".pg_service.conf")) : user,
            systemFile()};
}

std::optional<Entry> find(const QString& service) {
    for (const QString& file : searchPath()) {
        if (auto entry = findIn(file, service))
            return entry;
    }
    return std::nullopt;
}

QString hostOf(const Entry& entry) {
    for (const char* key : {"host", "hostaddr"}) {
        if (const QString host = entry.options.value(QLatin1String(key)); !host.isEmpty())
            return host.startsWith(u'/') ? QStringLiteral("localhost") : host;
    }
    const QString host = environment("PGHOST");
    return host.isEmpty() ? QStringLiteral("localhost") : host;
}

QString write(const QString& file, const QString& service, const QMap<QString, QString>& options,
              QFileDevice::Permissions permissions) {
    QStringList content = linesWithout(file, service);
    if (!content.isEmpty())
        content << QString();
    content << QStringLiteral("[%1]").arg(service);
    for (auto it = options.begin(); it != options.end(); ++it)
        content << it.key() + u'=' + it.value();
    return writeLines(file, content, permissions);
}

QString remove(const QString& file, const QString& service) {
    return writeLines(file, linesWithout(file, service));
}

} // namespace ServiceFile
