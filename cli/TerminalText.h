#pragma once

#include <QString>
#include <QTextStream>

// The text with what a terminal would act on made visible: control characters (C0, DEL, C1)
// as \n, \t, \e or \xHH, and the bidirectional overrides that reorder what is shown as \u{HHHH}.
// A file name can hold any of them; printed raw, one could move the cursor, recolour or hide the
// rest of a line. For the human output only: JSON escapes them by itself.
QString printable(const QString &text);

// Writes "ampa-cli: " and the problem to standard error, made printable (it may quote what was
// typed: a terminal never gets it raw), and gives the exit status for a usage error.
int usageProblem(const QString &problem);

// Asks `question` on `out` and reads the answer from standard input: y, yes or ya (any case) is
// yes; anything else, or no answer, is no.
bool askYes(QTextStream &out, const QString &question);

// What a colour marks in the human output.
enum class Tint { size, warning, failure };

// The text in its colour for a terminal: only when standard output is a terminal, NO_COLOR is
// unset or empty and TERM is not "dumb". Otherwise, and for a blank text, the text unchanged, so
// that piped or redirected output is the same as without colour.
QString tinted(const QString &text, Tint tint);
