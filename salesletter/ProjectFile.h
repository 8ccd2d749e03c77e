// The sales-letter project file (".prj"): an INI file with one section,
// "Project", holding the three template options and the stored text fields of
// TSalesLetter in table order, then FeatureSummary.
#pragma once

#include "SalesLetter.h"

#include <string>

inline constexpr const char* kProjectSection = "Project";

// Every CR LF pair, left to right, becomes "~~"; nothing else changes.
std::string EncodeLineBreaks(const std::string& text);
// Every "~~", left to right and continuing after each replacement, becomes CR LF.
std::string DecodeLineBreaks(const std::string& text);

// `name` unchanged when its extension equals `extension` regardless of letter
// case, otherwise name + extension. The extension is the text from the last "."
// of the last path component.
std::string EnsureExtension(const std::string& name, const std::string& extension);

// Both operations refuse a path longer than 255 characters (std::runtime_error),
// which the INI engine would cut to another file's name.

// Reads the file into the record. A missing key empties its field; a missing
// file empties every field and selects option 1. Values written by older
// copies in Windows-1252 come in as UTF-8 with their accents. Read errors of an existing
// file throw before any field changes.
void LoadProject(TSalesLetter& letter, const std::string& fileName);

// Writes the record into the file, keeping other sections and keys of an
// existing file. Every value is stored whole, however long, in UTF-8.
// `written`, when given, says whether the file now holds the record (the
// engine has warned if not).
void SaveProject(const TSalesLetter& letter, const std::string& fileName,
                 bool* written = nullptr);
