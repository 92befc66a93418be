// How much of a file the reader takes in at a time, so that a damaged or hostile file is refused with
// a message instead of filling the memory.
#pragma once

#include <QtGlobal>

// A line as it is in the file. Folded files keep lines to 75 octets; a writer that does not fold
// puts a whole value on one line, and the longest values, photos, stay well below this.
inline constexpr qsizetype MaxVCardLineBytes = qsizetype(8) << 20;
// A property's value once decoded, a photo's bytes or a note's text. Phones keep contact photos
// under a megabyte; a full-size camera picture still fits, 50 MB of anything does not.
inline constexpr qsizetype MaxVCardValueBytes = qsizetype(20) << 20;
// A property unfolded, still encoded: the base64 of the largest value, with room for its parameters.
inline constexpr qsizetype MaxVCardContentLineBytes = MaxVCardValueBytes / 3 * 4 + (qsizetype(64) << 10);
// Every property of one card together, so that a card of endless small lines stops as well.
inline constexpr qsizetype MaxVCardCardBytes = qsizetype(64) << 20;
// Properties of one card: a contact has a few dozen, and each costs memory beyond its bytes.
inline constexpr qsizetype MaxVCardProperties = 10000;
