#include "PcEntries.h"

#include "AdminConnection.h"
#include "postgres/ServerSetup.h"
#include "postgres/ServiceFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kServiceKind = QStringLiteral("service");
const QString kPassKind = QStringLiteral("pgpass");
// The students' entry the older set-up tool kept on the teacher's PC.
const QString kOlderStudentsEntry = QStringLiteral("kvz_student");
// Database and role of the teacher's password lines, between the host, the port and the password.
const QString kPassMark = u':' + kClassDatabase + u':' + ServerSetup::kTeacherRole + u':';
constexpr QFileDevice::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

QStringList nonEmpty(QStringList lines) {
    lines.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
    return lines;
}

QStringList recorded(const QString& kind) {
    QStringList files;
    for (const QString& line : ServiceFile::lines(PcEntries::recordFile())) {
        if (line.section(u' ', 0, 0) == kind)
            files << line.section(u' ', 1);
    }
    return files;
}

QString remember(const QString& kind, const QString& file) {
    QStringList lines = nonEmpty(ServiceFile::lines(PcEntries::recordFile()));
    const QString line = kind + u' ' + QFileInfo(file).absoluteFilePath();
    if (lines.contains(line))
        return {};
    if (lines.isEmpty())
        lines << QStringLiteral("# The files kvz-server wrote an entry into; kvz-server leave and "
                                "the package's purge take the entries out.");
    return ServiceFile::writeLines(PcEntries::recordFile(), lines << line);
}

QString escaped(QString field) {
    return field.replace(u'\\', QLatin1String("\\\\")).replace(u':', QLatin1String("\\:"));
}

QStringList withoutPasswords(const QString& file) {
    QStringList lines = nonEmpty(ServiceFile::lines(file));
    lines.removeIf([](const QString& line) { return line.contains(kPassMark); });
    return lines;
}

bool holdsEntries(const QString& file) {
    return ServiceFile::findIn(file, PcEntries::kService) ||
           ServiceFile::findIn(file, kOlderStudentsEntry);
}

bool holdsPasswords(const QString& file) {
    return ServiceFile::lines(file).join(u'\n').contains(kPassMark);
}

// Takes the entries out of `file`, as its owner.
QString removeEntries(const QString& file) {
    const AsAccount owner(Account::owning(file));
    QString problem;
    for (const QString& service : {PcEntries::kService, kOlderStudentsEntry}) {
        if (problem.isEmpty() && ServiceFile::findIn(file, service))
            problem = ServiceFile::remove(file, service);
    }
    return problem;
}

QString removePasswords(const QString& file) {
    const AsAccount owner(Account::owning(file));
    return ServiceFile::writeLines(file, withoutPasswords(file));
}

QString everyFileProblem(const QStringList& files) {
    for (const QString& file : files) {
        const AsAccount owner(Account::owning(file));
        if (const QString problem = ::cannotWrite(file); !problem.isEmpty())
            return problem;
    }
    return ::cannotWrite(PcEntries::recordFile());
}

} // namespace

namespace PcEntries {

QString teacherServiceFile(const Account& teacher) {
    const QString file = qEnvironmentVariable("PGSERVICEFILE");
    return file.isEmpty() ? QDir(teacher.home).filePath(QStringLiteral(".pg_service.conf")) : file;
}

QString teacherPassFile(const Account& teacher) {
    const QString file = qEnvironmentVariable("PGPASSFILE");
    return file.isEmpty() ? QDir(teacher.home).filePath(QStringLiteral(".pgpass")) : file;
}

QString recordFile() {
    return QFileInfo(ServiceFile::systemFile()).dir().filePath(QStringLiteral("kvz-server.files"));
}

QString teacherEntryFile(const std::optional<Account>& teacher) {
    QStringList files = QStringList{ServiceFile::systemFile()} + recorded(kServiceKind);
    if (teacher)
        files << teacherServiceFile(*teacher);
    for (const QString& file : files) {
        const auto entry = ServiceFile::findIn(file, kService);
        if (entry && entry->options.value(QStringLiteral("user")) == ServerSetup::kTeacherRole)
            return file;
    }
    return {};
}

QString cannotWrite(const QString& file, const std::optional<Account>& owner) {
    QString problem;
    {
        const AsAccount as(owner);
        problem = ::cannotWrite(file);
    }
    return problem.isEmpty() ? ::cannotWrite(recordFile()) : problem;
}

QString writeService(const QString& file, const QMap<QString, QString>& options,
                     const std::optional<Account>& owner) {
    QString problem;
    {
        const AsAccount as(owner);
        problem = ServiceFile::write(file, kService, options,
                                     owner ? kOwnerOnly : QFileDevice::Permissions());
        if (problem.isEmpty() && !owner && ServiceFile::findIn(file, kOlderStudentsEntry))
            problem = ServiceFile::remove(file, kOlderStudentsEntry);
    }
    return problem.isEmpty() ? remember(kServiceKind, file) : problem;
}

QString writePassword(const QString& file, const QString& host, const QString& port,
                      const QString& password, const Account& owner) {
    QString problem;
    {
        const AsAccount as(owner);
        const QString line = QStringList{escaped(host), port, kClassDatabase,
                                         ServerSetup::kTeacherRole, escaped(password)}
                                 .join(u':');
        problem = ServiceFile::writeLines(file, withoutPasswords(file) << line, kOwnerOnly);
    }
    return problem.isEmpty() ? remember(kPassKind, file) : problem;
}

bool removeAll(QTextStream& out) {
    QStringList services = recorded(kServiceKind);
    if (!services.contains(ServiceFile::systemFile()))
        services.prepend(ServiceFile::systemFile()); // the older set-up tool kept no record
    services.removeIf([](const QString& file) { return !holdsEntries(file); });
    QStringList passes = recorded(kPassKind);
    passes.removeIf([](const QString& file) { return !holdsPasswords(file); });
    if (const QString problem = everyFileProblem(services + passes); !problem.isEmpty()) {
        out << QStringLiteral("Записи не удалены: %1. Запустите команду через sudo.\n")
                   .arg(problem);
        return false;
    }
    for (const QString& file : services) {
        if (const QString problem = removeEntries(file); !problem.isEmpty()) {
            out << problem << u'\n';
            return false;
        }
        out << QStringLiteral("Запись «%1» удалена из файла «%2».\n").arg(kService, file);
    }
    for (const QString& file : passes) {
        if (const QString problem = removePasswords(file); !problem.isEmpty()) {
            out << problem << u'\n';
            return false;
        }
        out << QStringLiteral("Пароль учителя удалён из файла «%1».\n").arg(file);
    }
    QFile::remove(recordFile());
    return true;
}

} // namespace PcEntries
