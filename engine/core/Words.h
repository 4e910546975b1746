#pragma once

#include <QString>

namespace Engine {

// A text in both interface languages, kept as data; the one to show is chosen where it is
// shown (words/EngineWords.cpp defines text(); the engine never calls it), so that it follows a
// change of language.
class Words {
public:
    Words() = default;
    Words(const char *same) : indonesian(QString::fromUtf8(same)) {}
    Words(QString same) : indonesian(std::move(same)) {}
    Words(QString inIndonesian, QString inEnglish)
        : indonesian(std::move(inIndonesian)), english(std::move(inEnglish))
    {}
    QString text() const;
    bool isEmpty() const { return indonesian.isEmpty(); }

private:
    QString indonesian;
    QString english; // empty: the same in both
};

} // namespace Engine
