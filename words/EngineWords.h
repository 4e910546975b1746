#pragma once

#include "BaseFolders.h"
#include "Failure.h"
#include "RunAs.h"

#include <QString>
#include <QStringList>

// What the engine's results read as, in both languages, from one table (EngineWords.cpp): the
// engine returns kinds, ids, sizes and paths, and these make the texts in the language the
// settings hold now. Engine::Failure::text() is defined there too.

// The name and the note of the quick clean's target `id` (CacheTarget.h); empty for an id the
// catalogue does not have.
QString quickTargetName(const QString &id);
QString quickTargetNote(const QString &id);

// Why a folder was left alone: "is a mount point and was left alone", "is a link to ~/x and was
// left alone", …
QString refusalText(const Engine::Refusal &refusal);

// Why a mount point was not removed.
QString mountPointText();

// Why a base folder variable is not used, and what is used instead.
QString baseRefusalText(const BaseRefusal &refusal);

// One line for each base folder variable that was refused; none when all are usable.
QStringList baseFolderWarnings();

// Why Ampa will not clean this home folder, as both programs print it.
QString runRefusalText(const Engine::RunRefusal &refusal);
