#pragma once

#include <cstdint>

class QTableWidget;

namespace tarvex::panel {

// The preferred QCL as a click on column `column` of a tuning-range table leaves it: that
// column's QCL, or none (0) when it was the preferred one already.
std::uint8_t ToggledPreferredQcl(std::uint8_t preferred, int column);

// Draws the header of the preferred QCL's column as selected and every other header as normal
// (all normal for 0).
void MarkPreferredQcl(QTableWidget& table, std::uint8_t preferred);

} // namespace tarvex::panel
