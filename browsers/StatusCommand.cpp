#include "StatusCommand.h"

#include "ChartPage.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <iterator>
#include <map>
#include <ostream>

namespace browsers {

namespace {

const char kUsage[] =
    "usage: quillmere-status [--as-of YEAR] --published us|abroad|never --year Y [--created Y]\n"
    "                        [--month M] [--notice yes|no|unknown] [--renewed yes|no|unknown]\n"
    "                        [--author person|anonymous|hire] [--died Y] [--recording]\n"
    "                        [--us-author yes|no|unknown] [--home-term "
    "life50|life70|life80|unknown] [--json]\n"
    "       quillmere-status [--as-of YEAR] --csv FILE\n"
    "       quillmere-status --chart [--as-of YEAR]\n";

const Region kRegions[] = {Region::UnitedStates, Region::LifePlus70, Region::LifePlus50,
                           Region::Canada};

bool parseYear(const std::string& text, int& year) {
    if (text.empty() || text.size() > 4 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    year = std::stoi(text);
    return year > 0;
}

bool parseKnown(const std::string& text, Known& known) {
    if (text == "yes")
        known = Known::Yes;
    else if (text == "no")
        known = Known::No;
    else if (text == "unknown" || text.empty())
        known = Known::Unknown;
    else
        return false;
    return true;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char ch : text) {
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", ch);
            out += esc;
        } else {
            out += static_cast<char>(ch);
        }
    }
    return out + "\"";
}

std::string freeFromText(const Verdict& v) {
    return v.status != Status::Unknown && v.freeFrom ? IsoDate(*v.freeFrom) : std::string();
}

// One CSV record: its fields and the line it starts on.
struct Record {
    std::vector<std::string> fields;
    int line = 0;
};

std::vector<Record> parseCsv(const std::string& text) {
    std::vector<Record> records;
    Record current;
    std::string field;
    bool quoted = false, any = false;
    int line = 1;
    current.line = 1;
    auto endField = [&] {
        current.fields.push_back(field);
        field.clear();
    };
    auto endRecord = [&] {
        endField();
        if (any)
            records.push_back(current);
        current = Record{};
        any = false;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (quoted) {
            if (ch == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (ch == '"') {
                quoted = false;
            } else {
                if (ch == '\n')
                    ++line;
                field += ch;
            }
            continue;
        }
        if (!any) {
            current.line = line;
        }
        if (ch == '\r')
            continue;
        if (ch == '\n') {
            ++line;
            endRecord();
            continue;
        }
        any = true;
        if (ch == '"')
            quoted = true;
        else if (ch == ',')
            endField();
        else
            field += ch;
    }
    if (any)
        endRecord();
    return records;
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char ch : text)
        out += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    return out + "\"";
}

void writeRow(std::ostream& out, const std::vector<std::string>& fields) {
    for (size_t i = 0; i < fields.size(); ++i)
        out << (i ? "," : "") << csvField(fields[i]);
    out << "\r\n";
}

// The work's facts that every answer needs.
std::string checkComplete(const Work& w, bool hasPublished, int currentYear) {
    if (!hasPublished)
        return "Say where the work was first published: --published us, abroad or never.";
    return CheckWork(w, currentYear);
}

} // namespace

std::string SetFact(Work& w, const std::string& name, const std::string& value) {
    auto bad = [&] { return "\"" + value + "\" is not a value of " + name + "."; };
    int year = 0;
    if (name == "title")
        return {};
    if (name == "published") {
        if (value == "us")
            w.published = FirstPublished::UnitedStates;
        else if (value == "abroad")
            w.published = FirstPublished::Elsewhere;
        else if (value == "never")
            w.published = FirstPublished::Never;
        else
            return bad();
    } else if (name == "year" || name == "created" || name == "died") {
        if (value.empty() && name != "year")
            return {};
        if (!parseYear(value, year))
            return bad();
        if (name == "year")
            w.year = year;
        else if (name == "created")
            w.created = year;
        else
            w.authorDied = year;
    } else if (name == "month") {
        if (value.empty())
            return {};
        if (!parseYear(value, year) || year > 12)
            return bad();
        w.month = year;
    } else if (name == "notice" || name == "renewed" || name == "us-author") {
        Known& k = name == "notice" ? w.notice : name == "renewed" ? w.renewed : w.usAuthor;
        if (!parseKnown(value, k))
            return bad();
    } else if (name == "author") {
        if (value == "person" || value.empty())
            w.author = AuthorKind::Person;
        else if (value == "anonymous")
            w.author = AuthorKind::Anonymous;
        else if (value == "hire")
            w.author = AuthorKind::ForHire;
        else
            return bad();
    } else if (name == "recording") {
        if (value == "yes" || value == "1" || value == "true")
            w.soundRecording = true;
        else if (value == "no" || value == "0" || value == "false" || value.empty())
            w.soundRecording = false;
        else
            return bad();
    } else if (name == "home-term") {
        static const std::map<std::string, HomeTerm> terms = {{"life50", HomeTerm::Life50},
                                                              {"life70", HomeTerm::Life70},
                                                              {"life80", HomeTerm::Life80},
                                                              {"unknown", HomeTerm::Unknown},
                                                              {"", HomeTerm::Unknown}};
        auto t = terms.find(value);
        if (t == terms.end())
            return bad();
        w.homeTerm = t->second;
    } else {
        return "Unknown option --" + name + ".";
    }
    return {};
}

std::string StatusKey(Status status) {
    switch (status) {
    case Status::PublicDomain:
        return "public-domain";
    case Status::Protected:
        return "protected";
    case Status::Unknown:
        break;
    }
    return "unknown";
}

std::string AnswersJson(const std::vector<Verdict>& answers) {
    std::string json = "{";
    for (const Verdict& v : answers) {
        const std::string from = freeFromText(v);
        const std::string note = v.note + (v.note.empty() ? "" : " ") + v.caveat;
        json += (json.size() > 1 ? ", " : "") + jsonString(RegionKey(v.region)) +
                ": {\"status\": " + jsonString(StatusKey(v.status)) +
                ", \"free_from\": " + (from.empty() ? "null" : jsonString(from)) +
                ", \"rule\": " + jsonString(v.rule) + ", \"note\": " + jsonString(note) + "}";
    }
    return json + "}";
}

int AnswerCsv(const std::string& input, const std::string& source, int currentYear,
              std::ostream& out, std::ostream& err) {
    const std::vector<Record> records = parseCsv(input);
    if (records.empty()) {
        err << source << ": no header row\n";
        return 2;
    }
    const std::vector<std::string>& header = records[0].fields;
    for (const std::string& name : header) {
        Work probe;
        const std::string problem = SetFact(probe, name, "");
        if (problem.rfind("Unknown option", 0) == 0) {
            err << source << ":" << records[0].line << ": unknown column \"" << name << "\"\n";
            return 2;
        }
    }
    std::vector<std::string> outHeader = header;
    for (Region r : kRegions) {
        outHeader.push_back(RegionKey(r));
        outHeader.push_back(RegionKey(r) + "_free_from");
    }
    writeRow(out, outHeader);
    int status = 0;
    for (size_t i = 1; i < records.size(); ++i) {
        const Record& rec = records[i];
        std::vector<std::string> row = rec.fields;
        std::string problem;
        if (row.size() != header.size())
            problem = std::to_string(row.size()) + " fields where the header has " +
                      std::to_string(header.size()) + ".";
        Work w;
        bool hasPublished = false;
        for (size_t f = 0; problem.empty() && f < header.size(); ++f) {
            hasPublished |= header[f] == "published" && !row[f].empty();
            problem = SetFact(w, header[f], row[f]);
        }
        if (problem.empty())
            problem = checkComplete(w, hasPublished, currentYear);
        row.resize(header.size());
        if (!problem.empty()) {
            err << source << ":" << rec.line << ": " << problem << "\n";
            status = 2;
            row.resize(header.size() + 8);
        } else {
            for (const Verdict& v : JudgeAll(w, currentYear)) {
                row.push_back(StatusKey(v.status));
                row.push_back(freeFromText(v));
            }
        }
        writeRow(out, row);
    }
    return status;
}

int RunStatusCommand(const std::vector<std::string>& args, int currentYear, std::ostream& out,
                     std::ostream& err) {
    auto fail = [&](const std::string& message) {
        err << "quillmere-status: " << message
            << "\nRun quillmere-status --help for the options.\n";
        return 2;
    };
    Work w;
    bool json = false, chart = false, hasPublished = false, hasFact = false;
    std::string csv;
    int asOf = currentYear;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i], value;
        if (name == "--help" || name == "-h") {
            out << kUsage;
            return 0;
        }
        if (name.rfind("--", 0) != 0)
            return fail("Unexpected argument \"" + name + "\".");
        name = name.substr(2);
        const size_t eq = name.find('=');
        const bool inlineValue = eq != std::string::npos;
        if (inlineValue) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        static const char* const known[] = {
            "json",  "chart",  "recording", "as-of",  "csv",  "published", "year",     "created",
            "month", "notice", "renewed",   "author", "died", "us-author", "home-term"};
        if (std::find(std::begin(known), std::end(known), name) == std::end(known))
            return fail("Unknown option --" + name + ".");
        if (name == "json" || name == "chart" || name == "recording") {
            if (inlineValue)
                return fail("--" + name + " takes no value.");
            json |= name == "json";
            chart |= name == "chart";
            w.soundRecording |= name == "recording";
            hasFact |= name == "recording";
            continue;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size())
                return fail("--" + name + " needs a value.");
            value = args[++i];
        }
        if (name == "as-of") {
            if (!parseYear(value, asOf))
                return fail("\"" + value + "\" is not a year.");
        } else if (name == "csv") {
            csv = value;
        } else {
            const std::string problem = SetFact(w, name, value);
            if (!problem.empty())
                return fail(problem);
            hasPublished |= name == "published";
            hasFact = true;
        }
    }
    if (chart) {
        if (hasFact || !csv.empty() || json)
            return fail("--chart takes only --as-of.");
        const std::string page = ChartPage(asOf);
        if (page.empty()) {
            err << "quillmere-status: this program carries no date chart\n";
            return 1;
        }
        out << page;
        return 0;
    }
    if (!csv.empty()) {
        if (hasFact || json)
            return fail("--csv takes only --as-of; the facts are the file's columns.");
        std::string text;
        try {
            text = platform::readFile(csv);
        } catch (const std::exception& e) {
            err << "quillmere-status: " << e.what() << "\n";
            return 1;
        }
        return AnswerCsv(text, csv, asOf, out, err);
    }
    const std::string problem = checkComplete(w, hasPublished, asOf);
    if (!problem.empty())
        return fail(problem);
    const std::vector<Verdict> answers = JudgeAll(w, asOf);
    if (json) {
        out << AnswersJson(answers) << "\n";
        return 0;
    }
    for (const Verdict& v : answers)
        out << Describe(v, asOf) << "\n";
    return 0;
}

} // namespace browsers
