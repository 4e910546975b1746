#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace Engine {

// Records in fixed pages: growing never copies what is there (a vector that doubles holds both
// copies for a moment, twice the tree at its peak), and a record stays where it is.
template<typename T, unsigned Shift> class PagedRecords {
public:
    static constexpr std::size_t perPage = std::size_t(1) << Shift;

    T &operator[](std::size_t index) { return pages[index >> Shift][index & (perPage - 1)]; }
    const T &operator[](std::size_t index) const
    {
        return pages[index >> Shift][index & (perPage - 1)];
    }
    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }

    // Appends `more` default records; gives the first one's index.
    std::size_t grow(std::size_t more)
    {
        while (count + more > pages.size() * perPage)
            pages.push_back(std::make_unique<T[]>(perPage));
        count += more;
        return count - more;
    }
    // The records from `index` on to the end of its page, at most `most`. Taken where growing
    // is locked out, written anywhere: a page never moves.
    std::span<T> run(std::size_t index, std::size_t most)
    {
        const std::size_t inPage = index & (perPage - 1);
        return {pages[index >> Shift].get() + inPage, std::min(most, perPage - inPage)};
    }
    std::size_t push_back(const T &record)
    {
        const std::size_t index = grow(1);
        (*this)[index] = record;
        return index;
    }
    void clear()
    {
        pages.clear();
        count = 0;
    }
    std::size_t memoryBytes() const
    {
        return pages.size() * perPage * sizeof(T) + pages.capacity() * sizeof(pages[0]);
    }

private:
    std::vector<std::unique_ptr<T[]>> pages;
    std::size_t count = 0;
};

// Names, each once, in pages of 64 KiB that a name never straddles (a name is at most 255
// bytes on Linux); a name is found by its offset: page × 64 KiB + place.
class NameArena {
public:
    static constexpr std::size_t pageBytes = 64 * 1024;

    // Room for a run of names that together fit in a page, taken where taking is locked out and
    // filled in anywhere: the names go one after another into the rest of the last page, and
    // from the first that does not fit on into a fresh page.
    class Room {
    public:
        // Places the next name of the run; gives its offset.
        std::uint32_t put(std::string_view name)
        {
            name = name.substr(0, pageBytes);
            Part &part = !spilled && name.size() <= first.bytes - first.used ? first : second;
            spilled = &part == &second;
            std::copy(name.begin(), name.end(), part.at + part.used);
            part.used += name.size();
            return static_cast<std::uint32_t>(part.offset + part.used - name.size());
        }

    private:
        friend class NameArena;
        struct Part {
            char *at = nullptr;
            std::size_t offset = 0;
            std::size_t bytes = 0;
            std::size_t used = 0;
        };
        Part first;
        Part second;
        bool spilled = false;
    };
    template<typename Names> Room take(const Names &run)
    {
        Room room;
        if (!pages.empty()) {
            room.first = {pages.back().get() + used, (pages.size() - 1) * pageBytes + used,
                          pageBytes - used};
        }
        std::size_t fits = 0;
        auto name = std::begin(run);
        for (; name != std::end(run); ++name) {
            const std::size_t length = std::min(std::size(*name), pageBytes);
            if (length > room.first.bytes - fits)
                break;
            fits += length;
        }
        std::size_t spill = 0;
        for (; name != std::end(run); ++name)
            spill += std::min(std::size(*name), pageBytes);
        if (spill == 0) {
            used += fits;
            return room;
        }
        pages.push_back(std::make_unique_for_overwrite<char[]>(pageBytes));
        used = spill;
        room.second = {pages.back().get(), (pages.size() - 1) * pageBytes, pageBytes};
        return room;
    }
    std::string_view at(std::uint32_t offset, std::size_t length) const
    {
        return {pages[offset / pageBytes].get() + offset % pageBytes, length};
    }
    void clear()
    {
        pages.clear();
        used = 0;
    }
    std::size_t memoryBytes() const
    {
        return pages.size() * pageBytes + pages.capacity() * sizeof(pages[0]);
    }

private:
    std::vector<std::unique_ptr<char[]>> pages;
    std::size_t used = 0;
};

} // namespace Engine
