#pragma once
// Turns the bytes read from the exchange's port into lines, one byte at a time.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kvo::term {

// Control bytes (below 32) stripped at both ends; blanks stay. nullopt when nothing but blanks
// and control bytes remains. An inner NUL becomes "?": the line crosses the library's export as
// a C string and would otherwise lose its tail there.
std::optional<std::string> finishLine(std::string_view raw);

class LineAssembler {
public:
    // The exchange may never send a carriage return; at this size the bytes so far are handled
    // as a line, so nothing is dropped and memory stays bounded.
    static constexpr std::size_t kMaxLine = 4096;

    // Appends one byte; returns the line it completed, if any.
    std::optional<std::string> push(unsigned char byte);
    // Bytes received since the last line ended.
    const std::string &pending() const { return buffer_; }

private:
    std::string buffer_;
};

// The list shows the first two lines received since start and the ten newest: while it holds
// more than 12 items, the third is removed.
constexpr int kListMaxItems = 12;
constexpr int kListKeptAtTop = 2;

template <class CountFn, class RemoveAtFn> void trimLineList(CountFn count, RemoveAtFn removeAt) {
    while (count() > kListMaxItems)
        removeAt(kListKeptAtTop);
}

} // namespace kvo::term
