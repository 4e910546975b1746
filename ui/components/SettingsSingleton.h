#pragma once

#include "ModelSingleton.h"
#include "Settings.h"

#include <QJSEngine>
#include <QtQml/qqml.h>

// The program's settings, as the QML singleton `Settings`: the views read, write and follow the
// object the model works with, handed out by the model.
struct SettingsSingleton {
    Q_GADGET
    QML_FOREIGN(Settings)
    QML_NAMED_ELEMENT(Settings)
    QML_SINGLETON

public:
    static Settings *create(QQmlEngine *, QJSEngine *)
    {
        Settings *settings = ModelSingleton::instance->settings();
        QJSEngine::setObjectOwnership(settings, QJSEngine::CppOwnership);
        return settings;
    }
};
