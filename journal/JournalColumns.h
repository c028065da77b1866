#pragma once
// The journal's columns: column 0 numbers the rows on screen and on paper;
// columns 1 to 16 are the fields a journal file stores for each row.

namespace JournalColumns {

inline constexpr int Count = 17;
// All but the number column.
inline constexpr int StoredCount = Count - 1;

} // namespace JournalColumns
