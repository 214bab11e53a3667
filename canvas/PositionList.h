// CPositionList: list positions (a selection, the figures a move shifted) kept compactly for the
// undo history, which holds many such lists for drawings of many figures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Runs of consecutive positions, each kept as two numbers of as few bytes as they need: how far
// the run starts from where the one before ended, and its length. A whole selected drawing takes a
// few bytes; a scattered selection one or two bytes a position.
class CPositionList {
public:
    CPositionList() = default;
    explicit CPositionList(const std::vector<int>& positions);
    std::vector<int> Decode() const;
    bool IsEmpty() const { return m_bytes.empty(); }
    std::size_t GetByteCount() const { return m_bytes.capacity(); }
    friend bool operator==(const CPositionList&, const CPositionList&) = default;

private:
    std::vector<std::uint8_t> m_bytes;
};
