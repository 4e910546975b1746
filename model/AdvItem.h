#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

// One card of the Advanced pane. Texts are in the language in force when the list was built.
struct AdvItem {
    QString id; // also the key of its size in Model::adv
    QString symbol;
    QString initials;
    QString title;
    std::optional<qint64> size;
    QString note;
    QString shortText;
    QString button;
    bool enabled = true;
    bool prominent = false;
    std::function<void()> action;
};
