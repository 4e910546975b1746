// ampa-file-helper: calls that may hang on a hostile log or settings file, run in a process of
// their own so that the test can give up on them. Each argument is one step, done in order:
//   log:TEXT        append TEXT to the activity log
//   lines           print the activity log's entries, newest first, one per line
//   get:KEY         print the value of setting KEY for this run, or "(default)"
//   set:KEY=VALUE   set KEY to VALUE, print "saved" or "not saved"
// Qt's warnings go to standard error, where the tests count them.

#include "ActivityLog.h"
#include "Settings.h"

#include <QString>

#include <cstdio>

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const QString step = QString::fromUtf8(argv[i]);
        if (step.startsWith("log:")) {
            Engine::log(step.mid(4));
        } else if (step == "lines") {
            for (const QString &line : Engine::logLines())
                std::printf("%s\n", qPrintable(line));
        } else if (step.startsWith("get:") && Settings::keyNamed(step.mid(4))) {
            const Settings::Key key = *Settings::keyNamed(step.mid(4));
            const Settings &settings = Settings::instance();
            std::printf("%s\n", settings.isStored(key) ? qPrintable(settings.value(key).toString())
                                                       : "(default)");
        } else if (const qsizetype equals = step.indexOf('=');
                   step.startsWith("set:") && equals > 0
                   && Settings::keyNamed(step.mid(4, equals - 4))) {
            const bool saved = Settings::instance().set(
                *Settings::keyNamed(step.mid(4, equals - 4)), step.mid(equals + 1));
            std::printf("%s\n", saved ? "saved" : "not saved");
        } else {
            std::fprintf(stderr, "unknown step: %s\n", argv[i]);
            return 1;
        }
        std::fflush(stdout);
    }
    return 0;
}
