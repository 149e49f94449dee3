#pragma once
// Keyed archives: a value written as a CBOR map of named fields. Colours, the preset library
// and preset files are stored this way. A colour is always an archive of its own (a byte
// string), wherever it is kept, so it reads back as exactly the same RGBA.

#include <QByteArray>
#include <QCborMap>
#include <QColor>

#include <optional>

namespace quillum {

QByteArray archivedDataWithRootObject(const QCborMap& root);
// Nothing when the data is not one well-formed CBOR map.
std::optional<QCborMap> unarchiveMapWithData(const QByteArray& data);

// The colour's 16-bit RGBA, so every colour Qt holds survives the round trip.
QByteArray archivedColor(const QColor& color);
// Nothing when the data is no colour archive (or not valid at all).
std::optional<QColor> unarchiveColor(const QByteArray& data);

} // namespace quillum
