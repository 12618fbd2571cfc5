#pragma once
// Which picture types a thumbnail run walks for a file filter.
#include <optional>
#include <utility>

namespace browser {

// The range of ExtensionTable picture indexes (0..39) that a run for the
// filter row walks: every picture type for "All Files (*.*)", else from the
// lowest to the highest picture type the row names (types between them
// included); nothing when the row names no picture type.
std::optional<std::pair<int, int>> thumbnailRange(int filterRow);

} // namespace browser
