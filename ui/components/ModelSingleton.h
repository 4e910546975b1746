#pragma once

#include "Model.h"

#include <QJSEngine>
#include <QtQml/qqml.h>

// The program's one Model, as the QML singleton `Model`. The host (the application, the render
// harness, a view test) sets `instance` before it loads a view; the views never create one.
struct ModelSingleton {
    Q_GADGET
    QML_FOREIGN(Model)
    QML_NAMED_ELEMENT(Model)
    QML_SINGLETON

public:
    static inline Model *instance = nullptr;
    static Model *create(QQmlEngine *, QJSEngine *)
    {
        QJSEngine::setObjectOwnership(instance, QJSEngine::CppOwnership);
        return instance;
    }
};
