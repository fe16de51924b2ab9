#pragma once

// A printer's settings carried over to a fresh QPrinter. QPrinter cannot be
// copied, yet a set-up dialog must be able to work on a candidate and leave
// the printer in use untouched until the user accepts.

#include <memory>

class QPrinter;

namespace orvane::print {

// A new printer with the settings of `from`: the destination (named printer
// or PDF file), the resolution, page layout, colour mode, duplex, copies
// and collation, paper source, page order, full-page mode and document name.
// `from` must not be printing.
std::unique_ptr<QPrinter> copyPrinter(const QPrinter& from);

} // namespace orvane::print
