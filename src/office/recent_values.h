#pragma once

#include <utility>
#include <vector>

// The values made for the last few keys. Long documents repeat a handful of
// formats, so the writers make each one's rendering once and look it up.
template <typename Key, typename Value> class RecentValues {
public:
    template <typename Make> const Value& get(const Key& key, Make make)
    {
        for (auto it = m_items.rbegin(); it != m_items.rend(); ++it)
            if (it->first == key)
                return it->second;
        if (m_items.size() >= kKept)
            m_items.erase(m_items.begin());
        m_items.emplace_back(key, make());
        return m_items.back().second;
    }

private:
    static constexpr size_t kKept = 16;
    std::vector<std::pair<Key, Value>> m_items;
};
