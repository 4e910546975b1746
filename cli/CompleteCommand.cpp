// ampa-cli complete WHAT: the words the shells' completions offer, one a line. Left out of the
// usage: people type the words, the completion scripts ask for them. Nothing is measured, so a
// Tab press answers at once.

#include "Commands.h"
#include "DevCache.h"
#include "Settings.h"

#include <QTextStream>

#include <algorithm>

namespace {

// A word that would end or break the one-a-line list is left out rather than shown otherwise.
bool oneLine(const QString &word)
{
    return !word.isEmpty()
           && std::none_of(word.begin(), word.end(), [](QChar c) { return c.unicode() < 0x20; });
}

} // namespace

int runComplete(const QStringList &arguments)
{
    const QString what = arguments.value(0);
    QStringList words;
    if (what == QLatin1String("dev")) {
        const QStringList kept = Settings::instance().devKeep();
        for (const Engine::DevCache &cache : Engine::devCaches()) {
            if (!kept.contains(cache.id))
                words << cache.id;
        }
    } else if (what == QLatin1String("dev-kept")) {
        words = Settings::instance().devKeep();
    } else if (what == QLatin1String("projects-kept")) {
        words = Settings::instance().projectKeep();
    } else {
        return exitUsage;
    }
    QTextStream out(stdout);
    for (const QString &word : words) {
        if (oneLine(word))
            out << word << '\n';
    }
    return exitOk;
}
