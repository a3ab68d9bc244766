// kvz-server: prepares the class's PostgreSQL server and the PCs that use it.
//
//   kvz-server init [FILE] [--lab NET] [--teacher ACCOUNT] [--teacher-pc ADDRESS]   the server
//   kvz-server join HOST [PORT]                                  a student's PC
//   kvz-server teacher HOST [PORT] [--teacher ACCOUNT]           the teacher's PC, not the server
//   kvz-server leave                                             back to the file of this PC
#include "ServerTool.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace {

int usage(QTextStream& out) {
    out << QStringLiteral(
        "Использование:\n"
        "  kvz-server init [ФАЙЛ] [--lab СЕТЬ] [--teacher УЧЁТНАЯ_ЗАПИСЬ] [--teacher-pc АДРЕС]\n"
        "                                      сервер: база данных теста, роли, правила доступа\n"
        "  kvz-server join СЕРВЕР [ПОРТ]       компьютер ученика\n"
        "  kvz-server teacher СЕРВЕР [ПОРТ] [--teacher УЧЁТНАЯ_ЗАПИСЬ]\n"
        "                                      компьютер учителя, если он не сервер (пароль\n"
        "                                      читается со стандартного ввода)\n"
        "  kvz-server leave                    снова файл базы данных на этом компьютере\n");
    return 2;
}

// Takes "--name VALUE" out of `args`; false when the option stands without a value.
bool takeOption(QStringList& args, const QString& name, QString& value) {
    const qsizetype at = args.indexOf(name);
    if (at < 0)
        return true;
    value = args.value(at + 1);
    args.remove(at, std::min<qsizetype>(2, args.size() - at));
    return !value.isEmpty() && !value.startsWith(QStringLiteral("--"));
}

bool hasUnknownOption(const QStringList& args) {
    return std::any_of(args.begin(), args.end(),
                       [](const QString& arg) { return arg.startsWith(QStringLiteral("--")); });
}

// One line of standard input; on a terminal, asked for and not shown.
QString readPassword() {
    const bool terminal = isatty(STDIN_FILENO);
    termios shown{};
    if (terminal) {
        std::fputs("Пароль учителя: ", stderr);
        tcgetattr(STDIN_FILENO, &shown);
        termios hidden = shown;
        hidden.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
    }
    QTextStream in(stdin);
    const QString line = in.readLine().trimmed();
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &shown);
        std::fputs("\n", stderr);
    }
    return line;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    QString teacher;
    if (!takeOption(args, QStringLiteral("--teacher"), teacher))
        return usage(out);
    if (command == u"init") {
        ServerTool::InitOptions options;
        options.teacher = teacher;
        if (!takeOption(args, QStringLiteral("--lab"), options.lab) ||
            !takeOption(args, QStringLiteral("--teacher-pc"), options.teacherPc) ||
            hasUnknownOption(args) || args.size() > 2)
            return usage(out);
        options.file = args.value(1);
        return ServerTool::init(options, out);
    }
    if (command == u"leave" && args.size() == 1 && teacher.isEmpty())
        return ServerTool::leave(out);
    if (hasUnknownOption(args) || args.size() < 2 || args.size() > 3)
        return usage(out);
    const QString port = args.value(2, QStringLiteral("5432"));
    if (command == u"join" && teacher.isEmpty())
        return ServerTool::join(args[1], port, out);
    if (command == u"teacher")
        return ServerTool::teacher(args[1], port, teacher, readPassword(), out);
    return usage(out);
}
