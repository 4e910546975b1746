#pragma once

#include <QString>

// What the developer caches (DevCache.h) read as, by the entry's id, in the language the settings
// hold now; each is empty for an id the catalogue does not make.

// The name: the catalogue's own, a Flatpak application's id or a snap's name with where it comes
// from ("org.gimp.GIMP (Flatpak)"), or a tagged folder's path, from the home when inside it
// ("~/.cache/restic").
QString devCacheName(const QString &id);

// What it holds and how it comes back.
QString devCacheNote(const QString &id);

// A choice's: what is lost and how it comes back; empty for an entry that is not a choice.
QString devCacheLost(const QString &id);
