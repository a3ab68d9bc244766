// kvz-server: prepares the class's PostgreSQL server and the PCs that use it.
//
//   kvz-server init [FILE] [--lab NETWORK]   the teacher's PC (or a school's server)
//   kvz-server join HOST PASSWORD [PORT]     a student's PC
//   kvz-server leave                         back to the database file of this PC
#include "ServerTool.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

namespace {

int usage(QTextStream& out) {
    out << QStringLiteral("Использование:\n"
                          "  kvz-server init [ФАЙЛ] [--lab СЕТЬ]   компьютер учителя: база данных "
                          "теста на сервере PostgreSQL\n"
                          "  kvz-server join СЕРВЕР ПАРОЛЬ [ПОРТ]   компьютер ученика\n"
                          "  kvz-server leave                       снова файл базы данных на "
                          "этом компьютере\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    if (command == u"init") {
        QString lab;
        if (const qsizetype at = args.indexOf(QStringLiteral("--lab")); at > 0) {
            lab = args.value(at + 1);
            args.remove(at, 2);
            if (lab.isEmpty())
                return usage(out);
        }
        if (args.size() > 2)
            return usage(out);
        return ServerTool::init(args.value(1), lab, out);
    }
    if (command == u"join" && (args.size() == 3 || args.size() == 4))
        return ServerTool::join(args[1], args[2], args.value(3, QStringLiteral("5432")), out);
    if (command == u"leave" && args.size() == 1)
        return ServerTool::leave(out);
    return usage(out);
}
