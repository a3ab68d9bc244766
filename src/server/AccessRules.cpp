#include "AccessRules.h"

#include "Accounts.h"
#include "AdminConnection.h"
#include "LabNetwork.h"
#include "postgres/ServerSetup.h"

#include <QFile>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kBegin = QStringLiteral("# kvz-server begin");
const QString kEnd = QStringLiteral("# kvz-server end");
const QString kMap = QStringLiteral("kvz");
const QString kStudentsHere[] = {QStringLiteral("127.0.0.1/32"), QStringLiteral("::1/128")};

QStringList fields(const QString& line) {
    return line.simplified().split(u' ', Qt::SkipEmptyParts);
}

bool isRule(const QString& line) {
    const QString text = line.trimmed();
    return !text.isEmpty() && !text.startsWith(u'#');
}

// The older set-up tool's line: "host kvz kvz_teacher,kvz_student NET scram-sha-256".
bool isOlderLine(const QString& line) {
    const QStringList f = fields(line);
    return f.size() == 5 && f[0] == u"host" && f[1] == kClassDatabase &&
           f[2] == ServerSetup::kTeacherRole + u',' + ServerSetup::kStudentRole;
}

struct Block {
    qsizetype begin = -1; // the first line of the block
    qsizetype end = -1;   // the line after it
};

Block blockIn(const QStringList& lines) {
    Block block;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (block.begin < 0 && lines[i].startsWith(kBegin))
            block.begin = i;
        else if (block.begin >= 0 && lines[i].startsWith(kEnd))
            return {block.begin, i + 1};
    }
    return {};
}

QStringList blockLines(const QStringList& lines) {
    const Block block = blockIn(lines);
    return block.begin < 0 ? QStringList() : lines.mid(block.begin, block.end - block.begin);
}

QString rule(const QStringList& words) {
    return words.join(QStringLiteral("  "));
}

QStringList hbaBlock(const AccessRules::Wanted& wanted) {
    const QString& db = kClassDatabase;
    QStringList lines{kBegin + QStringLiteral(": the class's test (written by kvz-server init, "
                                              "which replaces these lines)"),
                      rule({QStringLiteral("local"), db, ServerSetup::kTeacherRole,
                            QStringLiteral("peer map=") + kMap})};
    if (!wanted.teacherPc.isEmpty())
        lines << rule({QStringLiteral("host"), db, ServerSetup::kTeacherRole, wanted.teacherPc,
                       QStringLiteral("scram-sha-256")});
    lines << rule({QStringLiteral("host"), db, ServerSetup::kTeacherRole, QStringLiteral("all"),
                   QStringLiteral("reject")});
    QStringList students(std::begin(kStudentsHere), std::end(kStudentsHere));
    if (!wanted.lab.isEmpty())
        students << wanted.lab;
    for (const QString& from : students)
        lines << rule(
            {QStringLiteral("host"), db, ServerSetup::kStudentRole, from, QStringLiteral("trust")});
    return lines << kEnd;
}

QStringList identBlock(const AccessRules::Wanted& wanted) {
    return {kBegin + QStringLiteral(": the teacher's account as the role %1 (written by "
                                    "kvz-server init)")
                         .arg(ServerSetup::kTeacherRole),
            rule({kMap, wanted.teacherAccount, ServerSetup::kTeacherRole}), kEnd};
}

// Where a new block goes in pg_hba.conf: before the first rule (and the comment right above
// it), since the first rule that fits a connection is the one the server takes.
qsizetype beforeFirstRule(const QStringList& lines) {
    qsizetype at = 0;
    while (at < lines.size() && !isRule(lines[at]))
        ++at;
    if (at == lines.size())
        return at;
    while (at > 0 && lines[at - 1].trimmed().startsWith(u'#'))
        --at;
    return at;
}

QStringList withBlock(QStringList lines, const QStringList& block, bool first) {
    if (const Block old = blockIn(lines); old.begin >= 0) {
        lines.remove(old.begin, old.end - old.begin);
        lines.insert(old.begin, block.join(u'\n'));
        return lines;
    }
    const bool endsWithNewLine = !lines.isEmpty() && lines.last().isEmpty();
    const qsizetype at = first ? beforeFirstRule(lines) : lines.size() - endsWithNewLine;
    lines.insert(at, block.join(u'\n') + (first ? QStringLiteral("\n") : QString()));
    return lines;
}

QByteArray read(const QString& path, bool& ok) {
    QFile file(path);
    ok = file.open(QIODevice::ReadOnly);
    return ok ? file.readAll() : QByteArray();
}

QStringList linesOf(const QByteArray& text) {
    return QString::fromUtf8(text).split(u'\n');
}

// The file is replaced whole, keeping its owner and mode: the server's account must read it.
bool replaceFile(const QString& path, const QByteArray& bytes) {
    struct stat info {};
    if (stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    const bool owned = (info.st_uid == geteuid() && info.st_gid == getegid()) ||
                       fchown(out.handle(), info.st_uid, info.st_gid) == 0;
    if (!owned || out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

struct Files {
    QString hba;
    QString ident;
    QByteArray hbaText;
    QByteArray identText;
    bool read = false;
};

Files filesOf(const AdminConnection& admin) {
    Files files;
    files.hba = admin.setting(QStringLiteral("hba_file"));
    files.ident = admin.setting(QStringLiteral("ident_file"));
    bool hbaRead = false;
    bool identRead = false;
    files.hbaText = read(files.hba, hbaRead);
    files.identText = read(files.ident, identRead);
    files.read = hbaRead && identRead;
    return files;
}

// The server's own reading of both files, written as `hba` and `ident`: the first error, or
// empty. The line is quoted: the server numbers the lines written, and those are put back.
QString errorFound(const AdminConnection& admin, const Files& files, const QStringList& hba,
                   const QStringList& ident) {
    QSqlQuery query(admin.db());
    if (!query.exec(QStringLiteral(
            "SELECT true, line_number, error FROM pg_hba_file_rules WHERE error IS NOT NULL UNION "
            "ALL SELECT false, line_number, error FROM pg_ident_file_mappings WHERE error IS NOT "
            "NULL")))
        return QStringLiteral("сервер не смог проверить файлы (%1)")
            .arg(query.lastError().databaseText().trimmed());
    if (!query.next())
        return {};
    const bool inHba = query.value(0).toBool();
    const QStringList& lines = inHba ? hba : ident;
    return QStringLiteral("в файле «%1» строка «%2»: %3")
        .arg(inHba ? files.hba : files.ident,
             lines.join(u'\n').split(u'\n').value(query.value(1).toInt() - 1).trimmed(),
             query.value(2).toString());
}

void describe(const AccessRules::Wanted& wanted, QTextStream& out) {
    out << QStringLiteral("Сервер допускает к базе данных «%1»:\n  учителя (роль %2) — на этом "
                          "компьютере, из учётной записи «%3», без пароля;\n")
               .arg(kClassDatabase, ServerSetup::kTeacherRole, wanted.teacherAccount);
    if (!wanted.teacherPc.isEmpty())
        out << QStringLiteral("  учителя — с компьютера %1, по паролю;\n")
                   .arg(LabNetwork::withoutMask(wanted.teacherPc));
    out << QStringLiteral("  учеников (роль %1) — с этого компьютера%2, без пароля: роль может "
                          "только то, что делает программа ученика.\n")
               .arg(ServerSetup::kStudentRole,
                    wanted.lab.isEmpty() ? QString()
                                         : QStringLiteral(" и из сети %1").arg(wanted.lab));
}

} // namespace

namespace AccessRules {

Wanted current(const AdminConnection& admin) {
    const Files files = filesOf(admin);
    const QStringList hba = linesOf(files.hbaText);
    Wanted found;
    for (const QString& line : blockLines(hba)) {
        const QStringList f = fields(line);
        if (f.size() != 5 || f[0] != u"host")
            continue;
        if (f[2] == ServerSetup::kStudentRole &&
            !QStringList(std::begin(kStudentsHere), std::end(kStudentsHere)).contains(f[3]))
            found.lab = f[3];
        if (f[2] == ServerSetup::kTeacherRole && f[4] == u"scram-sha-256")
            found.teacherPc = f[3];
    }
    for (const QString& line : hba) {
        if (found.lab.isEmpty() && isOlderLine(line))
            found.lab = fields(line)[3];
    }
    for (const QString& line : blockLines(linesOf(files.identText))) {
        if (const QStringList f = fields(line); f.size() == 3 && f[0] == kMap)
            found.teacherAccount = f[1];
    }
    return found;
}

QString cannotChange(const AdminConnection& admin) {
    const Files files = filesOf(admin);
    QString why =
        files.read ? QString()
                   : QStringLiteral("нет прав на чтение «%1» и «%2»").arg(files.hba, files.ident);
    for (const QString& file : {files.hba, files.ident}) {
        if (why.isEmpty())
            why = cannotWrite(file);
    }
    return why;
}

bool apply(const AdminConnection& admin, const Wanted& wanted, QTextStream& out) {
    const Files files = filesOf(admin);
    QStringList hba = linesOf(files.hbaText);
    const qsizetype older = std::count_if(hba.begin(), hba.end(), isOlderLine);
    hba.removeIf(isOlderLine);
    hba = withBlock(hba, hbaBlock(wanted), true);
    const QStringList ident = withBlock(linesOf(files.identText), identBlock(wanted), false);
    const bool written = replaceFile(files.ident, ident.join(u'\n').toUtf8()) &&
                         replaceFile(files.hba, hba.join(u'\n').toUtf8());
    const QString error = written ? errorFound(admin, files, hba, ident)
                                  : QStringLiteral("не удалось записать файлы");
    if (!error.isEmpty()) {
        replaceFile(files.hba, files.hbaText);
        replaceFile(files.ident, files.identText);
        out << QStringLiteral("Правила доступа не изменены: %1.\nФайлы «%2» и «%3» возвращены в "
                              "прежний вид, ничего не изменено. Исправьте ошибку и повторите "
                              "команду.\n")
                   .arg(error, files.hba, files.ident);
        return false;
    }
    if (!admin.run(QStringLiteral("SELECT pg_reload_conf()"), out))
        return false;
    if (older > 0)
        out << QStringLiteral("Из «%1» убрана строка прежней версии, которая допускала роль "
                              "учителя из сети класса.\n")
                   .arg(files.hba);
    describe(wanted, out);
    return true;
}

} // namespace AccessRules
