// A copy of the store in one self-contained file, taken through SQLite's online backup while the
// store may be in use: the copy appears under its name only once it is whole, checked and on the disk.
#pragma once

#include <QString>

// A copy that fails SQLite's check is thrown away, as a sign that the store is damaged; the copy of a
// damaged store taken before a restore replaces it is kept all the same, as the only trace left of
// its contacts.
enum class CopyCheck { Required, KeepEvenIfDamaged };

// Copies the store at storePath to target, replacing any file of that name. The store is only read,
// on a connection of this call's own, so that any thread may call it, and the copy holds only what
// was committed when it began. False with the reason in error (Italian); nothing is then left behind.
bool copyStore(
    const QString &storePath, const QString &target, QString *error, CopyCheck check = CopyCheck::Required);
