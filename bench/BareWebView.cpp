// The anchor of bench/tray.sh: a bare Qt web view of the page view's size showing one page file,
// nothing more. It prints "loaded" once the page has loaded.
#include <QApplication>
#include <QUrl>
#include <QWebEngineView>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication Application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tkw_bare_webview PAGE-FILE\n");
        return 2;
    }
    QWebEngineView View;
    View.setWindowTitle(QStringLiteral("Bare Qt web view"));
    View.resize(521, 342);
    QObject::connect(&View, &QWebEngineView::loadFinished, [] {
        std::puts("loaded");
        std::fflush(stdout);
    });
    View.load(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
    View.show();
    return Application.exec();
}
