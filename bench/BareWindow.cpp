// The anchor of the desktop benchmark: a bare Qt window of the program's start size, nothing more.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication Application(argc, argv);
    QWidget Window;
    Window.setWindowTitle(QStringLiteral("Bare Qt window"));
    Window.resize(569, 90);
    Window.show();
    return Application.exec();
}
