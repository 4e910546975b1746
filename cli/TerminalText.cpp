#include "TerminalText.h"

#include "Commands.h"

#include <QTextStream>

#include <cstdio>
#include <unistd.h>

namespace {

bool reordersText(char16_t c)
{
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

bool colourShown()
{
    static const bool shown = isatty(STDOUT_FILENO) && qEnvironmentVariableIsEmpty("NO_COLOR")
                              && qEnvironmentVariable("TERM") != QLatin1String("dumb");
    return shown;
}

} // namespace

QString tinted(const QString &text, Tint tint)
{
    if (!colourShown() || text.trimmed().isEmpty())
        return text;
    const char *colour = tint == Tint::size      ? "\033[1;36m"  // bold cyan
                         : tint == Tint::warning ? "\033[33m"    // yellow
                                                 : "\033[1;31m"; // bold red
    return QLatin1String(colour) + text + QLatin1String("\033[0m");
}

QString printable(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == '\n')
            shown += QStringLiteral("\\n");
        else if (c == '\t')
            shown += QStringLiteral("\\t");
        else if (c == 0x1B)
            shown += QStringLiteral("\\e");
        else if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
            shown += QStringLiteral("\\x%1").arg(int(c), 2, 16, QLatin1Char('0'));
        else if (reordersText(c))
            shown += QStringLiteral("\\u{%1}").arg(int(c), 4, 16, QLatin1Char('0'));
        else
            shown += ch;
    }
    return shown;
}

bool askYes(QTextStream &out, const QString &question)
{
    out << question;
    out.flush();
    char answer[16] = {};
    if (!std::fgets(answer, sizeof answer, stdin))
        return false;
    const QString word = QString::fromLatin1(answer).trimmed().toLower();
    return word == QLatin1String("y") || word == QLatin1String("yes")
           || word == QLatin1String("ya");
}

int usageProblem(const QString &problem)
{
    QTextStream(stderr) << "ampa-cli: " << printable(problem) << '\n';
    return exitUsage;
}
