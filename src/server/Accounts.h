#pragma once

#include "Status.h"

#include <QString>
#include <optional>
#include <sys/types.h>

// The accounts of this PC that kvz-server acts for: it writes a teacher's own files as that
// account, and connects over the local socket as PostgreSQL's administrator account.
struct Account {
    QString name;
    uid_t uid = 0;
    gid_t gid = 0;
    QString home;

    static std::optional<Account> named(const QString& name);
    static std::optional<Account> owning(const QString& file);
};

// The teacher's account: `named`, else the account that ran sudo, else the one running the
// command; root only when named. A Russian message naming the fix when there is none.
std::optional<Account> teacherAccount(const QString& named, Status& status);

// While it lives, the program acts as `account` (its user and group alone), when it runs as
// root; otherwise it stays itself.
class AsAccount {
public:
    explicit AsAccount(const std::optional<Account>& account);
    ~AsAccount();
    AsAccount(const AsAccount&) = delete;
    AsAccount& operator=(const AsAccount&) = delete;

    bool ok() const { return m_ok; }

private:
    bool m_switched = false;
    bool m_ok = true;
    std::vector<gid_t> m_groups;
};

// Why the running account (as it acts now) cannot write `file`, in Russian; empty when it can.
QString cannotWrite(const QString& file);
