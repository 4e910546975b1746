#pragma once

#include "Settings.h"

#include <QJSEngine>
#include <QtQml/qqml.h>

// The program's settings, as the QML singleton `Settings`: the views read, write and follow the
// same object as the rest of the program.
struct SettingsSingleton {
    Q_GADGET
    QML_FOREIGN(Settings)
    QML_NAMED_ELEMENT(Settings)
    QML_SINGLETON

public:
    static Settings *create(QQmlEngine *, QJSEngine *)
    {
        QJSEngine::setObjectOwnership(&Settings::instance(), QJSEngine::CppOwnership);
        return &Settings::instance();
    }
};
