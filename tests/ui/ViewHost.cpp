#include "ViewHost.h"

#include "ModelSingleton.h"
#include "SymbolImageProvider.h"

#include <QMutex>
#include <QQuickStyle>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(AmpaPlugin)

namespace {

QMutex warningsLock;
QStringList warnings;
QtMessageHandler previousHandler = nullptr;

void recordWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg) {
        QMutexLocker lock(&warningsLock);
        warnings << message;
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

ViewHost::ViewHost()
{
    QQuickStyle::setStyle("Fusion");
    previousHandler = qInstallMessageHandler(recordWarnings);
}

ViewHost::~ViewHost()
{
    qInstallMessageHandler(previousHandler);
}

void ViewHost::prepare(QQmlEngine &engine, Model &model)
{
    ModelSingleton::instance = &model;
    prepareEngine(engine);
}

QStringList ViewHost::takeWarnings()
{
    QMutexLocker lock(&warningsLock);
    return std::exchange(warnings, {});
}
