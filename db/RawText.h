#pragma once
// Text whose bytes are no valid UTF-8 (SQLite stores whatever bytes it is given as TEXT). It is
// carried as its bytes, so that a backend that can store them stores them unchanged, and one
// that cannot refuses the value instead of storing a replacement character.

#include <QByteArray>
#include <QMetaType>
#include <QVariant>

struct TRawText {
    QByteArray Bytes;
    bool operator==(const TRawText& other) const { return Bytes == other.Bytes; }
};
Q_DECLARE_METATYPE(TRawText)

inline bool IsRawText(const QVariant& value) { return value.metaType() == QMetaType::fromType<TRawText>(); }

// Whether the bytes are valid UTF-8: no stray or missing continuation byte, no overlong form,
// no surrogate, nothing past U+10FFFF.
bool IsValidUtf8(const char* bytes, qsizetype size);
