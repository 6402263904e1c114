// The layer's archive format, shared by the reader and the packer so that both make
// the key and lay out the tables the same way (docs/archive-format.md).
//
// An archive is a header, one head block (name table, file table, directory table)
// and the file data. All integers are little-endian. Header and head block, and the
// file data, are scrambled by XOR with a 12-byte key.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ZaDod {

constexpr std::uint16_t ArchiveMagic = 0x445A;  // the bytes 'Z', 'D'
constexpr int ArchiveVersionMax = 6;
constexpr int ArchiveKeyBytes = 12;
constexpr std::uint32_t ArchiveAttributeDirectory = 0x10;
constexpr int ArchiveOldCodePage = 932;  // versions 1 to 3 have no code-page field
constexpr std::size_t ArchiveHeaderMaxBytes = 48;

// Sizes that depend on the version (1 to 6).
constexpr std::size_t ArchiveHeaderBytes(int version) { return version >= 6 ? 48 : version >= 4 ? 28 : 24; }
constexpr std::size_t ArchiveFileEntryBytes(int version) { return version >= 6 ? 64 : version >= 2 ? 44 : 40; }
constexpr std::size_t ArchiveDirectoryBytes(int version) { return version >= 6 ? 32 : 16; }
constexpr int ArchiveFieldBytes(int version) { return version >= 6 ? 8 : 4; }
// The "stored plain" marker of the compressed-size field.
constexpr std::uint64_t ArchiveNotCompressed(int version) { return version >= 6 ? ~0ull : 0xFFFFFFFFull; }
// The parent field of the root.
constexpr std::uint64_t ArchiveNoParent(int version) { return version >= 6 ? ~0ull : 0xFFFFFFFFull; }

inline std::uint64_t ArchiveReadLE(const std::uint8_t* p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

inline void ArchiveWriteLE(std::uint8_t* p, std::uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The header in one form for every version.
struct ArchiveHeader {
    std::uint16_t Magic;
    std::uint16_t Version;
    std::uint32_t HeadSize;
    std::uint64_t DataStart;        // from the start of the archive
    std::uint64_t HeadStart;        // from the start of the archive; the name table is first
    std::uint64_t FileTableStart;   // within the head block
    std::uint64_t DirectoryTableStart;  // within the head block
    std::uint64_t CodePage;         // as stored; 0 before version 4
};

// Reads an unscrambled header of ArchiveHeaderBytes(version) bytes.
inline ArchiveHeader ArchiveParseHeader(const std::uint8_t* p)
{
    ArchiveHeader h{};
    h.Magic = static_cast<std::uint16_t>(ArchiveReadLE(p, 2));
    h.Version = static_cast<std::uint16_t>(ArchiveReadLE(p + 2, 2));
    h.HeadSize = static_cast<std::uint32_t>(ArchiveReadLE(p + 4, 4));
    if (h.Version >= 6) {
        h.DataStart = ArchiveReadLE(p + 8, 8);
        h.HeadStart = ArchiveReadLE(p + 16, 8);
        h.FileTableStart = ArchiveReadLE(p + 24, 8);
        h.DirectoryTableStart = ArchiveReadLE(p + 32, 8);
        h.CodePage = ArchiveReadLE(p + 40, 8);
    } else {
        h.DataStart = ArchiveReadLE(p + 8, 4);
        h.HeadStart = ArchiveReadLE(p + 12, 4);
        h.FileTableStart = ArchiveReadLE(p + 16, 4);
        h.DirectoryTableStart = ArchiveReadLE(p + 20, 4);
        h.CodePage = h.Version >= 4 ? ArchiveReadLE(p + 24, 4) : 0;
    }
    return h;
}

inline void ArchiveWriteHeader(std::uint8_t* p, const ArchiveHeader& h)
{
    ArchiveWriteLE(p, h.Magic, 2);
    ArchiveWriteLE(p + 2, h.Version, 2);
    ArchiveWriteLE(p + 4, h.HeadSize, 4);
    if (h.Version >= 6) {
        ArchiveWriteLE(p + 8, h.DataStart, 8);
        ArchiveWriteLE(p + 16, h.HeadStart, 8);
        ArchiveWriteLE(p + 24, h.FileTableStart, 8);
        ArchiveWriteLE(p + 32, h.DirectoryTableStart, 8);
        ArchiveWriteLE(p + 40, h.CodePage, 8);
    } else {
        ArchiveWriteLE(p + 8, h.DataStart, 4);
        ArchiveWriteLE(p + 12, h.HeadStart, 4);
        ArchiveWriteLE(p + 16, h.FileTableStart, 4);
        ArchiveWriteLE(p + 20, h.DirectoryTableStart, 4);
        if (h.Version >= 4) ArchiveWriteLE(p + 24, h.CodePage, 4);
    }
}

// The code page of an archive's names: 932 before version 4; otherwise the stored
// value when it is one the layer converts, else 932.
inline int ArchiveCodePage(int version, std::uint64_t stored)
{
    if (version < 4 || stored > 0xFFFFFFFFull) return ArchiveOldCodePage;
    switch (stored) {
    case 932: case 936: case 949: case 950: case 1200: case 1201: case 1252:
    case 32764: case 32766: case 32767: case 65001:
        return static_cast<int>(stored);
    default:
        return ArchiveOldCodePage;
    }
}

// Field indexes of a file-table entry; every field is ArchiveFieldBytes wide.
enum ArchiveEntryFieldIndex {
    ArchiveEntryNameField = 0,
    ArchiveEntryAttributesField = 1,
    ArchiveEntryCreationTimeField = 2,   // 8 bytes before version 6 too
    ArchiveEntryLastAccessTimeField = 3,
    ArchiveEntryLastWriteTimeField = 4,
    ArchiveEntryDataAddressField = 5,
    ArchiveEntryDataSizeField = 6,
    ArchiveEntryStoredSizeField = 7,     // version 2 and later
};

// Byte offset of a field within an entry.
constexpr std::size_t ArchiveEntryFieldOffset(int version, int field)
{
    if (version >= 6) return static_cast<std::size_t>(field) * 8;
    constexpr std::size_t old[] = {0, 4, 8, 16, 24, 32, 36, 40};
    return old[field];
}
constexpr int ArchiveEntryFieldBytes(int version, int field)
{
    return version >= 6 || (field >= ArchiveEntryCreationTimeField && field <= ArchiveEntryLastWriteTimeField) ? 8 : 4;
}

// Directory record fields, each ArchiveFieldBytes wide, in this order.
enum ArchiveDirectoryFieldIndex {
    ArchiveDirectorySelfField = 0,
    ArchiveDirectoryParentField = 1,
    ArchiveDirectoryCountField = 2,
    ArchiveDirectoryFirstField = 3,  // offset of the first entry within the file table
};

// ---- Key scheme --------------------------------------------------------------------
//
// The key string (at most 12 bytes are used; an empty one counts as none) is repeated
// to fill 12 bytes, or without a key string each byte is ArchiveKeyFill. Then byte i
// goes through its own bijection: rotate left by Rotation[i], XOR with Mask[i], and
// complement where Complement[i] is set.

constexpr std::uint8_t ArchiveKeyFill = 0xA5;
constexpr std::uint8_t ArchiveKeyRotation[ArchiveKeyBytes] = {1, 3, 0, 5, 2, 7, 4, 0, 6, 1, 3, 2};
constexpr std::uint8_t ArchiveKeyMask[ArchiveKeyBytes] = {0x5B, 0x00, 0xC3, 0x1E, 0x96, 0x00,
                                                          0x3D, 0xE7, 0x71, 0x0A, 0xB4, 0x68};
constexpr bool ArchiveKeyComplement[ArchiveKeyBytes] = {false, true, false, false, true, false,
                                                        false, true, false, true, false, false};

inline void ArchiveMakeKey(const char* keyString, std::uint8_t key[ArchiveKeyBytes])
{
    std::size_t length = 0;
    if (keyString)
        while (length < ArchiveKeyBytes && keyString[length]) ++length;
    for (int i = 0; i < ArchiveKeyBytes; ++i) {
        std::uint8_t b = length ? static_cast<std::uint8_t>(keyString[i % length]) : ArchiveKeyFill;
        const int r = ArchiveKeyRotation[i];
        if (r) b = static_cast<std::uint8_t>((b << r) | (b >> (8 - r)));
        b ^= ArchiveKeyMask[i];
        if (ArchiveKeyComplement[i]) b = static_cast<std::uint8_t>(~b);
        key[i] = b;
    }
}

// The second key: every byte one value, tried when the set key does not give the
// magic. It is assembled here rather than stored as one constant.
inline void ArchiveMakeSecondKey(std::uint8_t key[ArchiveKeyBytes])
{
    const std::uint8_t value = static_cast<std::uint8_t>(0x0F << 2);  // 0x3C
    for (int i = 0; i < ArchiveKeyBytes; ++i) key[i] = value;
}

// XORs size bytes with the key, the first byte with key byte phase mod 12.
inline void ArchiveApplyKey(void* data, std::size_t size, std::uint64_t phase, const std::uint8_t key[ArchiveKeyBytes])
{
    auto* p = static_cast<std::uint8_t*>(data);
    unsigned start = static_cast<unsigned>(phase % ArchiveKeyBytes);
    if (size < 48) {  // the byte-at-a-time readers
        for (std::size_t i = 0; i < size; ++i) {
            p[i] ^= key[start];
            if (++start == ArchiveKeyBytes) start = 0;
        }
        return;
    }
    std::uint8_t pattern[48];
    for (int i = 0; i < 48; ++i) pattern[i] = key[(start + i) % ArchiveKeyBytes];
    std::size_t i = 0;
    // 48 bytes, a common multiple of the key and of 8- and 16-byte words, keep the
    // pattern aligned with the data from block to block.
    for (; i + 48 <= size; i += 48) {
        for (int w = 0; w < 48; w += 8) {
            std::uint64_t a, b;
            std::memcpy(&a, p + i + w, 8);
            std::memcpy(&b, pattern + w, 8);
            a ^= b;
            std::memcpy(p + i + w, &a, 8);
        }
    }
    for (std::size_t k = 0; i < size; ++i, ++k) p[i] ^= pattern[k];
}

// Phases of the scrambled blocks.
inline std::uint64_t ArchiveHeadPhase(int version, std::uint64_t headStart) { return version >= 5 ? 0 : headStart; }
inline std::uint64_t ArchiveDataPhase(int version, std::uint64_t absolutePosition, std::uint64_t dataSize)
{
    // Versions 1-4: the whole archive is one stream, so the phase is the position.
    // From version 5 each file starts at its own data size.
    return version >= 5 ? dataSize : absolutePosition;
}

// ---- Names -------------------------------------------------------------------------
//
// Name entry: u16 L (length in 4-byte units), u16 parity (16-bit sum of the bytes of
// the search form), the search form (L x 4 bytes: ASCII letters upper case, padded
// with zero bytes, at least one zero unit), then the name as written (L x 4 bytes).

// Bytes per unit of a code page's text: 1, 2 or 4.
inline int ArchiveUnitBytes(int codePage)
{
    return codePage == 1200 || codePage == 1201 ? 2 : codePage == 32766 || codePage == 32767 ? 4 : 1;
}

// Upper-cases ASCII letters unit by unit (byte by byte for byte-based pages).
inline void ArchiveUpperAscii(std::uint8_t* text, std::size_t bytes, int codePage)
{
    const int unit = ArchiveUnitBytes(codePage);
    const bool bigEndian = codePage == 1201 || codePage == 32767;
    for (std::size_t i = 0; i + unit <= bytes; i += unit) {
        std::uint32_t c = 0;
        for (int k = 0; k < unit; ++k) c |= static_cast<std::uint32_t>(text[i + (bigEndian ? unit - 1 - k : k)]) << (8 * k);
        if (c >= 'a' && c <= 'z') text[i + (bigEndian ? unit - 1 : 0)] = static_cast<std::uint8_t>(c - 32);
    }
}

inline std::uint16_t ArchiveParity(const std::uint8_t* bytes, std::size_t size)
{
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < size; ++i) sum = static_cast<std::uint16_t>(sum + bytes[i]);
    return sum;
}

// Name-entry length L for a name of nameBytes (without terminator).
inline std::size_t ArchiveNameUnits(std::size_t nameBytes, int codePage)
{
    return (nameBytes + ArchiveUnitBytes(codePage) + 3) / 4;
}

}  // namespace ZaDod
