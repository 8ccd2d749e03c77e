// TBigIniFile: one sectioned key/value text file (an INI file) held wholly in
// memory. Create the object for a file name (which loads the file), read and
// change values in memory, free the object: the whole file is written back if
// anything changed.
//
// Texts are UTF-8. A line of a loaded file that is not valid UTF-8 holds text
// an older copy wrote in Windows-1252: its well-formed UTF-8 characters are
// kept and only the other bytes are read as Windows-1252, so the file is
// written back in UTF-8 at its next change (ASCII lines keep their bytes). A
// UTF-8 byte-order mark at the start of a file is skipped; none is written.
// Names of sections and keys compare without regard to letter case (see
// IniText.h for the rule); blanks are significant.
//
// Line limit: by default every stored line and name holds at most 255
// characters; longer arguments and file lines are cut to their first 255
// characters (a UTF-8 character is never split). An object created with kNoLineLimit keeps lines
// of any length, as project files need; an older copy reading such a file
// keeps the first 255 characters of each line, as it always did.
//
// Failures: a missing file loads as an empty object; an existing file that
// cannot be read raises platform::IoError from the constructor, SetFileName
// or LoadFromFile. Writing replaces the file only once the new content is
// complete on disk; when it fails, UpdateFile shows the "Warning" message box
// naming the file and keeps the changes (and the changed mark) for a retry.
//
// Section lookups go through a hash index, so they cost the same whether the
// wanted section is the next one or 100,000 sections away, and they leave the
// cursors exactly where a circular scan would leave them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using TStrings = std::vector<std::string>;

// One stored text (a line "key=value" or a section name). It either points
// into the text of a loaded file, which the section list keeps alive, or owns
// its own copy. For lines, `keySize` is the length of the text before the
// first "=".
class TIniText {
public:
    TIniText() = default;
    // A view of text that outlives this object.
    static TIniText view(const char* data, std::size_t size, std::size_t keySize = 0);
    // An owned copy.
    static TIniText copy(std::string_view text, std::size_t keySize = 0);

    TIniText(TIniText&& other) noexcept;
    TIniText& operator=(TIniText&& other) noexcept;
    TIniText(const TIniText&) = delete;
    TIniText& operator=(const TIniText&) = delete;
    ~TIniText();

    std::string_view text() const { return {data_, size_}; }
    std::string_view key() const { return {data_, keySize_}; }
    // Everything after the first "=" (the whole line's tail).
    std::string_view value() const {
        return keySize_ < size_ ? std::string_view(data_ + keySize_ + 1, size_ - keySize_ - 1)
                                : std::string_view();
    }
    std::size_t size() const { return size_; }

private:
    const char* data_ = "";  // never null, so empty texts copy safely
    std::uint32_t size_ = 0; // project files store lines of any length
    std::uint32_t keySize_ : 31 = 0;
    bool owned_ : 1 = false;
};

// The ordered list of sections: each name carries its entry list (the
// section's lines in order), which the list owns. Besides the list itself it
// keeps a hash index of the names, so no lookup has to walk the list, and
// for sections of many lines an index of their keys, built when first asked.
// Lines are therefore changed only through the list's own operations.
class TSectionList {
public:
    using EntryList = std::vector<TIniText>;

    TSectionList();
    ~TSectionList();
    TSectionList(const TSectionList&) = delete;
    TSectionList& operator=(const TSectionList&) = delete;

    std::int32_t Count() const { return static_cast<std::int32_t>(sections_.size()); }
    std::string_view Name(std::int32_t index) const { return sections_[index].name.text(); }
    const EntryList& Entries(std::int32_t index) const { return sections_[index].entries; }

    // The first line of `section` whose key equals `key`, -1 when none.
    std::int32_t FindKey(std::int32_t section, std::string_view key);
    // Appends a line whose key the section does not hold yet.
    void AppendLine(std::int32_t section, TIniText line);
    // Replaces a line by one of an equal key.
    void ReplaceLine(std::int32_t section, std::int32_t line, TIniText text);
    void DeleteLine(std::int32_t section, std::int32_t line);

    // Appends a section with an empty entry list and returns its index. The
    // caller makes sure that no section of an equal name exists.
    std::int32_t Add(std::string_view name);
    // Removes the section at `index` with its lines.
    void Delete(std::int32_t index);
    // Removes every section and the loaded texts; the last-hit index becomes 0.
    void Clear();

    // The index of the section of that name, -1 when there is none. A hit
    // becomes the new last-hit index; a miss leaves it unchanged.
    std::int32_t IndexOf(std::string_view name);
    // The same answer without touching the last-hit index.
    std::int32_t Find(std::string_view name) const;

    std::int32_t LastHit() const { return lastHit_; }
    void SetLastHit(std::int32_t index) { lastHit_ = index; }

    // Loading support: keeps a loaded file's text alive for the views into
    // it, appends a section whose entries are already collected, and drops
    // the later sections of names that occur more than once (then indexes the
    // list afresh).
    void KeepText(std::unique_ptr<char[]> text);
    void AppendLoaded(TIniText name, EntryList entries);
    void DropDuplicates();

private:
    // Folded key hash and index + 1 of the first line of each key, as the
    // section name slots below.
    using KeyIndex = std::vector<std::uint64_t>;
    struct Section {
        TIniText name;
        std::uint32_t hash = 0;
        EntryList entries;
        std::unique_ptr<KeyIndex> keys; // only for sections of many lines
    };

    void Reindex();
    void InsertIndex(std::int32_t index);
    std::int32_t Lookup(std::string_view name, std::uint32_t hash) const;

    std::vector<Section> sections_;
    // Open addressing, a power of two in size, at most half full. A slot
    // holds a section's name hash (high half) and its index + 1 (low half);
    // 0 is a free slot.
    std::vector<std::uint64_t> slots_;
    std::int32_t lastHit_ = 0;
    bool indexed_ = true;
    std::vector<std::unique_ptr<char[]>> texts_;
};

class TBigIniFile {
public:
    static constexpr std::size_t kDefaultLineLimit = 255;
    static constexpr std::size_t kNoLineLimit = 0x7fffffff;

    explicit TBigIniFile(const std::string& fileName, std::size_t lineLimit = kDefaultLineLimit);
    virtual ~TBigIniFile();
    TBigIniFile(const TBigIniFile&) = delete;
    TBigIniFile& operator=(const TBigIniFile&) = delete;

    // Writes the current file if changed, empties the object and loads
    // `fileName` (nothing when empty); the changed mark is clear afterwards.
    void SetFileName(const std::string& fileName);

    virtual std::string ReadString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue);
    virtual void WriteString(const std::string& section, const std::string& key,
                             const std::string& value);
    virtual std::int32_t ReadInteger(const std::string& section, const std::string& key,
                                     std::int32_t defaultValue);
    virtual void WriteInteger(const std::string& section, const std::string& key,
                              std::int32_t value);
    virtual bool ReadBool(const std::string& section, const std::string& key, bool defaultValue);
    virtual void WriteBool(const std::string& section, const std::string& key, bool value);
    virtual void ReadSection(const std::string& section, TStrings& strings);
    virtual void ReadSections(TStrings& strings);
    virtual void ReadSectionValues(const std::string& section, TStrings& strings);
    virtual void EraseSection(const std::string& section);
    virtual bool SectionExists(const std::string& section);
    virtual void DeleteKey(const std::string& section, const std::string& key);
    virtual void ExportLines(TStrings& strings);
    virtual void UpdateFile();
    virtual void LoadFromFile(const std::string& fileName);
    // UpdateFile now, then empties the object so that freeing it writes (and
    // warns) no more. True when the file holds what the object held.
    bool WriteAndClose();

    // Text instead of a file, for an object without a file name: LoadFromText
    // reads `text` by the rules of LoadFromFile (in place of the content);
    // Text gives the bytes UpdateFile would write. Neither lets the user
    // interface process events, so both serve any thread.
    void LoadFromText(std::string_view text);
    std::string Text();

    // Inspection.
    const std::string& FileName() const { return fileName_; }
    bool Changed() const { return changed_; }
    std::int32_t SectionCursor() const { return sectionCursor_; }
    const TSectionList& Sections() const { return sections_; }
    std::size_t LineLimit() const { return lineLimit_; }

private:
    // Finds the section (moving the section cursor as a circular scan from it
    // would) and in it the first line of `key`. With `create`, a missing
    // section is appended. `section` is -1 when there is no section.
    struct KeyHit {
        std::int32_t section = -1;
        std::int32_t line = -1;
    };
    KeyHit LookupKey(std::string_view section, std::string_view key, bool create);
    // The file's bytes as UpdateFile writes them; `size` receives their count.
    // Without `events` the user interface gets no turn (Text runs on any thread).
    std::unique_ptr<char[]> BuildText(std::size_t& size, bool events = true);
    // Reads the sections and lines of a file's bytes, which the list keeps.
    void LoadBuffer(std::unique_ptr<char[]> buffer, std::size_t size);

    // `text` cut to the line limit, never inside a UTF-8 character.
    std::string_view cut(std::string_view text) const;

    std::string fileName_;
    std::size_t lineLimit_ = kDefaultLineLimit;
    bool changed_ = false;
    TSectionList sections_;
    std::int32_t sectionCursor_ = 0;
};
