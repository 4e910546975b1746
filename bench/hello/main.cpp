// ampa-hello: the smallest Qt Quick window, built with the same Qt as Ampa, for the benchmark's
// comparison. Prints "first-frame" to stdout at its first frameSwapped.

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

#include <atomic>
#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QQmlApplicationEngine engine;
    std::atomic<bool> reported = false;
    QObject::connect(&engine, &QQmlApplicationEngine::objectCreated, &app,
                     [&reported](QObject *object) {
                         auto *window = qobject_cast<QQuickWindow *>(object);
                         if (!window)
                             return;
                         // Swapped on the render thread when there is one.
                         QObject::connect(
                             window, &QQuickWindow::frameSwapped, window,
                             [&reported] {
                                 if (!reported.exchange(true)) {
                                     std::fputs("first-frame\n", stdout);
                                     std::fflush(stdout);
                                 }
                             },
                             Qt::DirectConnection);
                     });
    engine.load(QUrl(QStringLiteral("qrc:/Hello/Main.qml")));
    if (engine.rootObjects().isEmpty())
        return 1;
    return QGuiApplication::exec();
}
