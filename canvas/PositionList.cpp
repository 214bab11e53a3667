// CPositionList: the run encoding of a list of positions.
#include "canvas/PositionList.h"

namespace {

void PutNumber(std::vector<std::uint8_t>& out, std::uint64_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(v | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(v));
}

std::uint64_t GetNumber(const std::vector<std::uint8_t>& in, std::size_t& at) {
    std::uint64_t v = 0;
    for (int shift = 0; at < in.size(); shift += 7) {
        const std::uint8_t b = in[at++];
        v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
        if (!(b & 0x80))
            break;
    }
    return v;
}

} // namespace

// Any list is kept as it is: a gap may be negative (zigzag-coded), so a list that does not ascend
// comes back the same, only less compactly.
CPositionList::CPositionList(const std::vector<int>& positions) {
    long long end = 0; // one past the last position of the run before
    for (std::size_t i = 0; i < positions.size();) {
        std::size_t j = i + 1;
        while (j < positions.size() &&
               static_cast<long long>(positions[j]) == positions[j - 1] + 1LL)
            ++j;
        const long long gap = positions[i] - end;
        PutNumber(m_bytes,
                  (static_cast<std::uint64_t>(gap) << 1) ^ static_cast<std::uint64_t>(gap >> 63));
        PutNumber(m_bytes, j - i);
        end = positions[i] + static_cast<long long>(j - i);
        i = j;
    }
    m_bytes.shrink_to_fit();
}

std::vector<int> CPositionList::Decode() const {
    std::vector<int> positions;
    long long end = 0;
    for (std::size_t at = 0; at < m_bytes.size();) {
        const std::uint64_t zigzag = GetNumber(m_bytes, at);
        const long long gap =
            static_cast<long long>(zigzag >> 1) ^ -static_cast<long long>(zigzag & 1);
        const long long first = end + gap;
        const long long count = static_cast<long long>(GetNumber(m_bytes, at));
        for (long long k = 0; k < count; ++k)
            positions.push_back(static_cast<int>(first + k));
        end = first + count;
    }
    return positions;
}
