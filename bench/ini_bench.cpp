// Times the INI engine against SimpleIni and (in the windows build) QSettings
// in INI format on one generated file of many sections.
//
//   ini_bench [folder] [sections] [keys per section] [repeats] [engine] [text]
//
// With an engine name (TBigIniFile, SimpleIni, QSettings) only that engine runs
// ("" for all). Text "mixed" gives every other line a value of accented UTF-8
// text (half the lines are not ASCII); the default is ASCII throughout.
//
// Workloads: load the file; read every key in file order; random reads, a
// fifth of them misses (a missing key or a missing section); change 1% of the
// values and write the file. Each engine works on its own copy of the file.
// Every workload runs `repeats` times; the table shows the fastest run.
#include "ini/BigIniFile.h"

#include "platform/FileSystem.h"

#ifdef QM_BENCH_SIMPLEINI
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#endif

#ifdef QM_BENCH_QSETTINGS
#include <QSettings>
#include <QString>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

struct Setup {
    int sections = 100000;
    int keys = 10;
    std::vector<std::string> sectionNames;
    std::vector<std::string> keyNames;
    // Random reads: section and key names, some of which do not exist.
    std::vector<std::pair<std::string, std::string>> randomReads;
    // Changes: existing section and key, new value.
    std::vector<std::pair<std::string, std::string>> changes;
    std::string newValue = "changed-value";
    bool mixed = false; // every other line holds UTF-8 beyond ASCII
};

std::string sectionName(int i) {
    char b[32];
    std::snprintf(b, sizeof b, "Section%06d", i);
    return b;
}

std::string keyName(int k) {
    char b[16];
    std::snprintf(b, sizeof b, "Key%02d", k);
    return b;
}

std::string generate(Setup& s) {
    std::string text;
    text.reserve(static_cast<std::size_t>(s.sections) * (s.keys * 26 + 20));
    char line[64];
    for (int i = 0; i < s.sections; ++i) {
        text += "[" + s.sectionNames[i] + "]\r\n";
        for (int k = 0; k < s.keys; ++k) {
            if (s.mixed && k % 2 == 1)
                std::snprintf(line, sizeof line, "%s=d\xC3\xA4t\xC3\xA9-%06d-%02d-\xE2\x82\xAC\r\n",
                              s.keyNames[k].c_str(), i, k);
            else
                std::snprintf(line, sizeof line, "%s=data-%06d-%02d-x\r\n", s.keyNames[k].c_str(),
                              i, k);
            text += line;
        }
        text += "\r\n";
    }
    return text;
}

void prepare(Setup& s) {
    for (int i = 0; i < s.sections; ++i)
        s.sectionNames.push_back(sectionName(i));
    for (int k = 0; k < s.keys; ++k)
        s.keyNames.push_back(keyName(k));
    std::mt19937 rng(20261209);
    std::uniform_int_distribution<int> sec(0, s.sections - 1), key(0, s.keys - 1), kind(0, 9);
    for (int n = 0; n < 100000; ++n) {
        int which = kind(rng);
        if (which == 0)
            s.randomReads.emplace_back(sectionName(s.sections + sec(rng)), keyName(key(rng)));
        else if (which == 1)
            s.randomReads.emplace_back(s.sectionNames[sec(rng)], keyName(s.keys + key(rng)));
        else
            s.randomReads.emplace_back(s.sectionNames[sec(rng)], s.keyNames[key(rng)]);
    }
    int changes = s.sections * s.keys / 100;
    for (int n = 0; n < changes; ++n)
        s.changes.emplace_back(s.sectionNames[sec(rng)], s.keyNames[key(rng)]);
}

double seconds(const std::function<void()>& f) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

struct Times {
    double load = 1e9, readAll = 1e9, random = 1e9, write = 1e9;
    std::size_t check = 0; // bytes read, so the reads are not optimised away
};

void keep(Times& t, double load, double readAll, double random, double write) {
    t.load = std::min(t.load, load);
    t.readAll = std::min(t.readAll, readAll);
    t.random = std::min(t.random, random);
    t.write = std::min(t.write, write);
}

void runOurs(const Setup& s, const std::string& file, Times& t) {
    TBigIniFile* ini = nullptr;
    double load = seconds([&] { ini = new TBigIniFile(file); });
    std::size_t check = 0;
    double readAll = seconds([&] {
        const std::string none;
        for (const auto& section : s.sectionNames)
            for (const auto& key : s.keyNames)
                check += ini->ReadString(section, key, none).size();
    });
    double random = seconds([&] {
        const std::string none = "-";
        for (const auto& [section, key] : s.randomReads)
            check += ini->ReadString(section, key, none).size();
    });
    double write = seconds([&] {
        for (const auto& [section, key] : s.changes)
            ini->WriteString(section, key, s.newValue);
        delete ini;
    });
    t.check = check;
    keep(t, load, readAll, random, write);
}

#ifdef QM_BENCH_SIMPLEINI
void runSimpleIni(const Setup& s, const std::string& file, Times& t) {
    CSimpleIniA* ini = nullptr;
    double load = seconds([&] {
        ini = new CSimpleIniA(false, true, false);
        ini->LoadFile(file.c_str());
    });
    std::size_t check = 0;
    double readAll = seconds([&] {
        for (const auto& section : s.sectionNames)
            for (const auto& key : s.keyNames)
                check += std::strlen(ini->GetValue(section.c_str(), key.c_str(), ""));
    });
    double random = seconds([&] {
        for (const auto& [section, key] : s.randomReads)
            check += std::strlen(ini->GetValue(section.c_str(), key.c_str(), "-"));
    });
    double write = seconds([&] {
        for (const auto& [section, key] : s.changes)
            ini->SetValue(section.c_str(), key.c_str(), s.newValue.c_str());
        ini->SaveFile(file.c_str());
        delete ini;
    });
    t.check = check;
    keep(t, load, readAll, random, write);
}

#endif

#ifdef QM_BENCH_QSETTINGS
void runQSettings(const Setup& s, const std::string& file, Times& t) {
    QSettings* ini = nullptr;
    double load = seconds([&] {
        ini = new QSettings(QString::fromLocal8Bit(file), QSettings::IniFormat);
        ini->childGroups(); // make sure the file has been parsed
    });
    std::size_t check = 0;
    QString path;
    auto keyPath = [&path](const std::string& section, const std::string& key) -> const QString& {
        path = QLatin1String(section.data(), section.size());
        path += QLatin1Char('/');
        path += QLatin1String(key.data(), key.size());
        return path;
    };
    double readAll = seconds([&] {
        for (const auto& section : s.sectionNames)
            for (const auto& key : s.keyNames)
                check += ini->value(keyPath(section, key), QString()).toString().size();
    });
    double random = seconds([&] {
        for (const auto& [section, key] : s.randomReads)
            check += ini->value(keyPath(section, key), QStringLiteral("-")).toString().size();
    });
    double write = seconds([&] {
        const QString value = QString::fromLatin1(s.newValue.c_str());
        for (const auto& [section, key] : s.changes)
            ini->setValue(keyPath(section, key), value);
        ini->sync();
        delete ini;
    });
    t.check = check;
    keep(t, load, readAll, random, write);
}
#endif

} // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    Setup s;
    std::string folder = argc > 1 && *argv[1] ? argv[1] : platform::tempFolder() + "qm-ini-bench";
    if (argc > 2)
        s.sections = std::max(1, std::atoi(argv[2]));
    if (argc > 3)
        s.keys = std::max(1, std::atoi(argv[3]));
    int repeats = argc > 4 ? std::max(1, std::atoi(argv[4])) : 3;
    s.mixed = argc > 6 && std::string(argv[6]) == "mixed";
    fs::create_directories(folder);
    prepare(s);
    std::string text = generate(s);
    std::string original = folder + "/original.ini";
    platform::saveFileAtomic(original, text);
    std::printf("File: %d sections x %d keys, %.1f MB%s; %zu random reads (1 in 5 a miss), "
                "%zu changes; best of %d runs\n\n",
                s.sections, s.keys, text.size() / 1e6,
                s.mixed ? ", half the lines UTF-8 beyond ASCII" : "", s.randomReads.size(),
                s.changes.size(), repeats);

    struct Engine {
        const char* name;
        void (*run)(const Setup&, const std::string&, Times&);
    };
    const std::vector<Engine> engines = {
        {"TBigIniFile", runOurs},
#ifdef QM_BENCH_SIMPLEINI
        {"SimpleIni", runSimpleIni},
#endif
#ifdef QM_BENCH_QSETTINGS
        {"QSettings", runQSettings},
#endif
    };

    std::string only = argc > 5 ? argv[5] : "";
    std::vector<Times> results(engines.size());
    for (int r = 0; r < repeats; ++r)
        for (std::size_t e = 0; e < engines.size(); ++e) {
            if (!only.empty() && only != engines[e].name)
                continue;
            std::string copy = folder + "/engine" + std::to_string(e) + ".ini";
            fs::copy_file(original, copy, fs::copy_options::overwrite_existing);
            engines[e].run(s, copy, results[e]);
        }

    std::printf("%-12s %10s %10s %10s %10s   (milliseconds)\n", "engine", "load", "read all",
                "random", "write 1%");
    for (std::size_t e = 0; e < engines.size(); ++e) {
        const Times& t = results[e];
        if (!only.empty() && only != engines[e].name)
            continue;
        std::printf("%-12s %10.1f %10.1f %10.1f %10.1f   check %zu\n", engines[e].name,
                    t.load * 1e3, t.readAll * 1e3, t.random * 1e3, t.write * 1e3, t.check);
    }
    fs::remove_all(folder);
    return 0;
}
