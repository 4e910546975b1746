#pragma once

#include "Model.h"

#include <QQmlEngine>

// What a view test or the render harness needs around Ampa's views: the Fusion style, a prepared
// engine, the model handed to the views, and a record of every warning the views print.
class ViewHost {
public:
    ViewHost();
    ~ViewHost();
    ViewHost(const ViewHost &) = delete;
    ViewHost &operator=(const ViewHost &) = delete;

    static void prepare(QQmlEngine &engine, Model &model);
    // Warnings printed since the last call, QML's and Qt's.
    static QStringList takeWarnings();
};
