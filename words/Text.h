#pragma once

#include "SizeText.h" // IWYU pragma: export

#include <QString>

// Every text the user sees exists as an Indonesian / English pair. These functions keep no state
// and may be called from any thread.
//
// The picker has a name of its own: inside a QObject an unqualified `tr` would quietly be
// QObject::tr and show the Indonesian text to everyone.

// True when the `language` setting is exactly "id"; anything else, or nothing, is English.
bool isIndonesian();

// The text of the pair for the language chosen now.
QString bilingual(const QString &indonesian, const QString &english);

// The text of a failure: "Gagal: " / "Failed: " and the platform's description of it.
QString failedText(const QString &error);

// A name as the views show it: on one line, each control character (a newline, a tab, an
// escape) as its visible symbol.
QString shownName(const QString &name);
// The same inside a sentence: set apart with its own direction (Unicode isolation), so that a
// right-to-left name does not turn the sentence around it.
QString isolatedName(const QString &name);

// Whole days and hours of an uptime: "5 jam" / "5 h", "2 hari 7 jam" / "2 d 7 h".
QString uptimeText(double seconds);
