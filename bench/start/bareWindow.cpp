// What bench_start compares the program with: a bare Qt window, or with the argument "text" a
// window holding the start window's first line, which costs what drawing any text costs (the
// font configuration read, a font opened, a line laid out).
#include <QApplication>
#include <QLabel>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::unique_ptr<QWidget> window;
    if (argc > 1 && QByteArray(argv[1]) == "text")
        window =
            std::make_unique<QLabel>(QStringLiteral("Выбирите из списка команду и нажмите ОК"));
    else
        window = std::make_unique<QWidget>();
    window->setWindowTitle(QStringLiteral("Qt"));
    window->resize(251, 103);
    window->show();
    return app.exec();
}
