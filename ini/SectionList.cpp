// The section list with its name index, and the stored text type.
#include "BigIniFile.h"
#include "IniText.h"

#include <cstring>

// ---- TIniText ----

TIniText TIniText::view(const char* data, std::size_t size, std::size_t keySize) {
    TIniText t;
    t.data_ = data;
    t.size_ = static_cast<std::uint32_t>(size);
    t.keySize_ = static_cast<std::uint32_t>(keySize) & 0x7fffffffu;
    return t;
}

TIniText TIniText::copy(std::string_view text, std::size_t keySize) {
    TIniText t;
    if (!text.empty()) {
        char* p = new char[text.size()];
        std::memcpy(p, text.data(), text.size());
        t.data_ = p;
        t.owned_ = true;
    }
    t.size_ = static_cast<std::uint32_t>(text.size());
    t.keySize_ = static_cast<std::uint32_t>(keySize) & 0x7fffffffu;
    return t;
}

TIniText::TIniText(TIniText&& other) noexcept
    : data_(other.data_), size_(other.size_), keySize_(other.keySize_), owned_(other.owned_) {
    other.data_ = "";
    other.size_ = other.keySize_ = 0;
    other.owned_ = false;
}

TIniText& TIniText::operator=(TIniText&& other) noexcept {
    if (this != &other) {
        if (owned_)
            delete[] data_;
        data_ = other.data_;
        size_ = other.size_;
        keySize_ = other.keySize_;
        owned_ = other.owned_;
        other.data_ = "";
        other.size_ = other.keySize_ = 0;
        other.owned_ = false;
    }
    return *this;
}

TIniText::~TIniText() {
    if (owned_)
        delete[] data_;
}

// ---- TSectionList ----

TSectionList::TSectionList() = default;
TSectionList::~TSectionList() = default;

std::int32_t TSectionList::Add(std::string_view name) {
    Section s;
    s.name = TIniText::copy(name);
    s.hash = initext::nameHash(name);
    sections_.push_back(std::move(s));
    std::int32_t index = Count() - 1;
    if (indexed_)
        InsertIndex(index);
    return index;
}

void TSectionList::Delete(std::int32_t index) {
    sections_.erase(sections_.begin() + index);
    // Every later section moves down one place; rebuilding is as cheap as
    // the move itself.
    Reindex();
}

void TSectionList::Clear() {
    sections_.clear();
    slots_.clear();
    texts_.clear();
    lastHit_ = 0;
    indexed_ = true;
}

std::int32_t TSectionList::IndexOf(std::string_view name) {
    std::int32_t index = Find(name);
    if (index >= 0)
        lastHit_ = index;
    return index;
}

std::int32_t TSectionList::Find(std::string_view name) const {
    if (sections_.empty())
        return -1;
    if (!indexed_) {
        for (std::int32_t i = 0; i < Count(); ++i)
            if (initext::sameName(sections_[i].name.text(), name))
                return i;
        return -1;
    }
    return Lookup(name, initext::nameHash(name));
}

namespace {

std::uint64_t slotOf(std::uint32_t hash, std::size_t index) {
    return (static_cast<std::uint64_t>(hash) << 32) | static_cast<std::uint32_t>(index + 1);
}
std::uint32_t slotHash(std::uint64_t slot) {
    return static_cast<std::uint32_t>(slot >> 32);
}
std::int32_t slotIndex(std::uint64_t slot) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(slot)) - 1;
}

std::size_t tableSizeFor(std::size_t count) {
    std::size_t size = 16;
    while (size < 2 * count + 2)
        size *= 2;
    return size;
}

} // namespace

std::int32_t TSectionList::Lookup(std::string_view name, std::uint32_t hash) const {
    if (slots_.empty())
        return -1;
    std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        std::uint64_t slot = slots_[i];
        if (slot == 0)
            return -1;
        if (slotHash(slot) == hash) {
            std::int32_t s = slotIndex(slot);
            if (initext::sameName(sections_[s].name.text(), name))
                return s;
        }
    }
}

void TSectionList::InsertIndex(std::int32_t index) {
    if (slots_.size() < 2 * sections_.size() + 2) {
        Reindex();
        return;
    }
    std::size_t mask = slots_.size() - 1;
    std::uint32_t hash = sections_[index].hash;
    std::size_t i = hash & mask;
    while (slots_[i] != 0)
        i = (i + 1) & mask;
    slots_[i] = slotOf(hash, index);
}

void TSectionList::Reindex() {
    slots_.assign(tableSizeFor(sections_.size()), 0);
    std::size_t mask = slots_.size() - 1;
    for (std::size_t s = 0; s < sections_.size(); ++s) {
        std::uint32_t hash = sections_[s].hash;
        std::size_t i = hash & mask;
        while (slots_[i] != 0)
            i = (i + 1) & mask;
        slots_[i] = slotOf(hash, s);
    }
    indexed_ = true;
}

// Sections up to this many lines are searched line by line; beyond it a
// key index pays for itself.
constexpr std::size_t kKeyIndexFrom = 24;

std::int32_t TSectionList::FindKey(std::int32_t section, std::string_view key) {
    Section& sec = sections_[section];
    const EntryList& entries = sec.entries;
    if (entries.size() < kKeyIndexFrom) {
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (initext::sameName(entries[i].key(), key))
                return static_cast<std::int32_t>(i);
        return -1;
    }
    if (!sec.keys) {
        // Built for the first line of each key only.
        sec.keys = std::make_unique<KeyIndex>(tableSizeFor(entries.size()), 0);
        KeyIndex& slots = *sec.keys;
        std::size_t mask = slots.size() - 1;
        for (std::size_t line = 0; line < entries.size(); ++line) {
            std::string_view k = entries[line].key();
            std::uint32_t hash = initext::nameHash(k);
            std::size_t i = hash & mask;
            for (; slots[i] != 0; i = (i + 1) & mask)
                if (slotHash(slots[i]) == hash &&
                    initext::sameName(entries[slotIndex(slots[i])].key(), k))
                    break;
            if (slots[i] == 0)
                slots[i] = slotOf(hash, line);
        }
    }
    const KeyIndex& slots = *sec.keys;
    std::size_t mask = slots.size() - 1;
    std::uint32_t hash = initext::nameHash(key);
    for (std::size_t i = hash & mask; slots[i] != 0; i = (i + 1) & mask)
        if (slotHash(slots[i]) == hash &&
            initext::sameName(entries[slotIndex(slots[i])].key(), key))
            return slotIndex(slots[i]);
    return -1;
}

void TSectionList::AppendLine(std::int32_t section, TIniText line) {
    Section& sec = sections_[section];
    sec.entries.push_back(std::move(line));
    if (!sec.keys)
        return;
    KeyIndex& slots = *sec.keys;
    if (slots.size() < 2 * sec.entries.size() + 2) {
        sec.keys.reset(); // rebuilt larger when next asked
        return;
    }
    std::size_t mask = slots.size() - 1;
    std::uint32_t hash = initext::nameHash(sec.entries.back().key());
    std::size_t i = hash & mask;
    while (slots[i] != 0)
        i = (i + 1) & mask;
    slots[i] = slotOf(hash, sec.entries.size() - 1);
}

void TSectionList::ReplaceLine(std::int32_t section, std::int32_t line, TIniText text) {
    sections_[section].entries[line] = std::move(text);
}

void TSectionList::DeleteLine(std::int32_t section, std::int32_t line) {
    Section& sec = sections_[section];
    sec.entries.erase(sec.entries.begin() + line);
    // Later lines move up, and a later line of the same key may now be the
    // first: rebuilt when next asked.
    sec.keys.reset();
}

void TSectionList::KeepText(std::unique_ptr<char[]> text) {
    texts_.push_back(std::move(text));
}

void TSectionList::AppendLoaded(TIniText name, EntryList entries) {
    Section s;
    s.hash = initext::nameHash(name.text());
    s.name = std::move(name);
    s.entries = std::move(entries);
    sections_.push_back(std::move(s));
    // The index is brought up to date by DropDuplicates at the end of the load.
    indexed_ = false;
}

void TSectionList::DropDuplicates() {
    // The first section of each name, in list order, survives; a later one
    // of an equal name goes with its lines.
    slots_.assign(tableSizeFor(sections_.size()), 0);
    std::size_t mask = slots_.size() - 1;
    std::size_t kept = 0;
    for (std::size_t s = 0; s < sections_.size(); ++s) {
        const Section& sec = sections_[s];
        std::size_t i = sec.hash & mask;
        bool duplicate = false;
        for (; slots_[i] != 0; i = (i + 1) & mask) {
            if (slotHash(slots_[i]) == sec.hash &&
                initext::sameName(sections_[slotIndex(slots_[i])].name.text(), sec.name.text())) {
                duplicate = true;
                break;
            }
        }
        if (duplicate)
            continue;
        if (kept != s)
            sections_[kept] = std::move(sections_[s]);
        slots_[i] = slotOf(sections_[kept].hash, kept);
        ++kept;
    }
    sections_.resize(kept);
    indexed_ = true;
}
