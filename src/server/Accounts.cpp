#include "Accounts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::optional<Account> fromEntry(const passwd* entry) {
    if (!entry)
        return std::nullopt;
    return Account{QString::fromLocal8Bit(entry->pw_name), entry->pw_uid, entry->pw_gid,
                   QString::fromLocal8Bit(entry->pw_dir)};
}

} // namespace

std::optional<Account> Account::named(const QString& name) {
    return fromEntry(getpwnam(name.toLocal8Bit().constData()));
}

std::optional<Account> Account::owning(const QString& file) {
    struct stat info {};
    if (stat(QFile::encodeName(file).constData(), &info) != 0)
        return std::nullopt;
    return fromEntry(getpwuid(info.st_uid));
}

std::optional<Account> teacherAccount(const QString& named, Status& status) {
    // root is nobody's teacher unless named: sudo run from a root shell names root.
    const QString caller = qEnvironmentVariable("SUDO_USER");
    QString name = !named.isEmpty() ? named : caller == u"root" ? QString() : caller;
    if (name.isEmpty() && geteuid() != 0)
        if (const auto self = fromEntry(getpwuid(geteuid())))
            name = self->name;
    if (name.isEmpty()) {
        status = Status::failure(
            QStringLiteral("Не указана учётная запись учителя. Запустите команду через sudo из "
                           "учётной записи учителя или назовите её: --teacher ИМЯ. Ничего не "
                           "изменено."));
        return std::nullopt;
    }
    auto account = Account::named(name);
    if (!account)
        status = Status::failure(QStringLiteral("Учётной записи «%1» на этом компьютере нет. "
                                                "Назовите учётную запись учителя: --teacher ИМЯ. "
                                                "Ничего не изменено.")
                                     .arg(name));
    return account;
}

AsAccount::AsAccount(const std::optional<Account>& account) {
    if (!account || geteuid() != 0 || account->uid == 0)
        return;
    m_groups.resize(std::max(getgroups(0, nullptr), 0));
    m_groups.resize(std::max(getgroups(int(m_groups.size()), m_groups.data()), 0));
    m_switched = true;
    m_ok = setgroups(1, &account->gid) == 0 && setegid(account->gid) == 0 &&
           seteuid(account->uid) == 0;
}

AsAccount::~AsAccount() {
    if (m_switched &&
        (seteuid(0) != 0 || setegid(0) != 0 || setgroups(m_groups.size(), m_groups.data()) != 0))
        qFatal("cannot return to the root account");
}

QString cannotWrite(const QString& file) {
    // A file that is not there yet is made in the nearest folder that is.
    QString path = QFileInfo(file).absoluteFilePath();
    while (!QFileInfo::exists(path) && path != QDir::rootPath())
        path = QFileInfo(path).absolutePath();
    const int wanted = QFileInfo(path).isDir() ? W_OK | X_OK : W_OK;
    if (euidaccess(QFile::encodeName(path).constData(), wanted) == 0)
        return {};
    return QStringLiteral("нет прав на запись в «%1»").arg(path);
}
