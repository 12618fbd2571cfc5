#pragma once
// The extension table that classifies every file, and the named file filters.
#include <QString>
#include <QStringList>
#include <array>

namespace tables {

constexpr int kExtensionCount = 86;
constexpr int kFilterCount = 36;  // rows in use
constexpr int kFilterSlots = 41;  // slots 36..40 stay empty
constexpr int kPatternWidth = 384;

// Index ranges of the extension table.
constexpr int kFirstPicture = 0, kLastPicture = 39;
constexpr int kFirstAudio = 40, kLastAudio = 50;
constexpr int kFirstVideo = 51, kLastVideo = 61;
constexpr int kFirstDocument = 62, kLastDocument = 83;
constexpr int kVideoCd = 84, kAudioCd = 85;

// The filter rows named elsewhere.
constexpr int kAllPictureFilesRow = 31;
constexpr int kAllFilesRow = 35;

} // namespace tables

// Filled once at start-up (SetUpFileFilters); empty until then.
extern std::array<QString, tables::kExtensionCount> ExtensionTable;

struct FileFilterTableType {
    std::array<QString, tables::kFilterSlots> names;
    std::array<QString, tables::kFilterSlots> patterns; // 384 characters, blank padded
};
extern FileFilterTableType FileFilterTable;

namespace tables {

// The fixed contents, in row / index order.
const std::array<const char*, kExtensionCount>& extensionValues();
const std::array<const char*, kFilterCount>& filterNames();
const std::array<const char*, kFilterCount>& filterPatterns();

// Stores the fixed contents into the program-wide tables.
void fillExtensionTable();
void fillFileFilterTable();

// Index of an upper-case extension in the table (exact comparison), or -1.
int extensionIndex(const QString& upperExt);
// True when the upper-case extension stands at an index from first to last.
bool extensionInRange(const QString& upperExt, int first, int last);
// The same for the extension of a file name (after its last dot, at most
// eight characters), in any letter case, without copying it.
bool nameExtensionInRange(QStringView name, int first, int last);

// The trimmed pattern of a filter row ("" outside 0..35).
QString filterPattern(int row);
// The row whose name equals the text, or -1.
int filterRowByName(const QString& name);

// Masks of a pattern list ("*.JPG;*.JPE").
QStringList masksOf(const QString& pattern);
// True when the file name matches one of the masks, in any letter case;
// "*.*" and "*" match every name, with or without a dot.
bool matchesMasks(const QString& fileName, const QStringList& masks);

} // namespace tables
