// Many names in one buffer, each viewed where it lies: a plan of 100 000 new
// names costs a few allocations instead of one per name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillon {

class NamePool {
 public:
  void Reserve(std::size_t names, std::size_t units) {
    m_units.reserve(units);
    m_ends.reserve(names);
  }
  // Appends head + tail as one name.
  void Add(std::u16string_view head, std::u16string_view tail = {}) {
    m_units.append(head).append(tail);
    m_ends.push_back(m_units.size());
  }
  std::size_t Size() const { return m_ends.size(); }
  std::u16string_view At(std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : m_ends[i - 1];
    return std::u16string_view(m_units).substr(begin, m_ends[i] - begin);
  }
  // Where each name ends in Units(), and the units themselves.
  const std::vector<std::size_t>& Ends() const { return m_ends; }
  std::u16string TakeUnits() {
    m_ends.clear();
    return std::move(m_units);
  }
  // Views of every name, valid while the pool lives and takes no more names.
  std::vector<std::u16string_view> Views() const {
    std::vector<std::u16string_view> views;
    views.reserve(m_ends.size());
    std::size_t begin = 0;
    for (const std::size_t end : m_ends) {
      views.emplace_back(m_units.data() + begin, end - begin);
      begin = end;
    }
    return views;
  }

 private:
  std::u16string m_units;
  std::vector<std::size_t> m_ends;
};

}  // namespace quillon
